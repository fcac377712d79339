#include "app/ThumbnailPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImageReader>
#include <QStringList>
#include <QTransform>

#include <algorithm>

#include "app/QtText.h"
#include "metadata/EmbeddedPreview.h"
#include "photo/HeifPicture.h"

namespace geotal::app {
namespace {

// Below this an embedded preview is passed over for a larger one: EXIF thumbnails are 160
// pixels wide, and a smaller one looks soft even in a small row.
constexpr int kSmallestPreview = 160;
constexpr std::size_t kPreviewTries = 3;

QImage Fitted(const QImage& image, int side) {
    if (image.isNull() || (image.width() <= side && image.height() <= side)) {
        return image;
    }
    return image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

// Decodes through Qt's plugins; large pictures are decoded at a reduced size where the format
// allows (JPEG decodes at an eighth of its size for the price of an eighth).
QImage Read(QImageReader& reader, int side, QString& why) {
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > side || size.height() > side)) {
        reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        why = reader.errorString();
    }
    return Fitted(image, side);
}

QImage FromPreview(const EmbeddedPreview& preview, int side, QString& why) {
    QByteArray bytes = QByteArray::fromStdString(preview.bytes);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The preview's own EXIF data, if any, may say otherwise; the photo's orientation counts.
    reader.setAutoTransform(false);
    return Upright(Read(reader, side, why), preview.orientation);
}

QImage FromHeif(const QString& path, int side, QString& why) {
    RgbPicture picture;
    std::string error;
    if (!DecodeHeifPicture(S(path), side, picture, error)) {
        why = Q(error);
        return {};
    }
    const QImage view(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
                      QImage::Format_RGB888);
    // Scaled (or copied) before the pixels it views are gone.
    const QImage fitted = Fitted(view, side);
    return fitted.constBits() == view.constBits() ? view.copy() : fitted;
}

// Only formats Qt's plugins read by their name: a RAW file is TIFF inside, and read as one it
// gives its sensor data, or noise.
QImage FromFile(const QString& path, int side, QString& why) {
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (!QImageReader::supportedImageFormats().contains(suffix)) {
        why = QStringLiteral("no picture reader for .%1 files").arg(QString::fromLatin1(suffix));
        return {};
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return Read(reader, side, why);
}

}  // namespace

QImage Upright(const QImage& image, int orientation) {
    const QTransform quarterTurn = QTransform().rotate(90);
    switch (orientation) {
        case 2:
            return image.mirrored(true, false);
        case 3:
            return image.mirrored(true, true);
        case 4:
            return image.mirrored(false, true);
        case 5:
            return image.mirrored(false, true).transformed(quarterTurn);
        case 6:
            return image.transformed(quarterTurn);
        case 7:
            return image.mirrored(true, false).transformed(quarterTurn);
        case 8:
            return image.transformed(QTransform().rotate(270));
        default:
            return image;
    }
}

ThumbnailPicture LoadThumbnailPicture(const QString& path, int side) {
    ThumbnailPicture picture;
    QStringList reasons;
    // A preview whose bytes are broken (some programs strip them and leave the sizes) gives
    // way to the next best, a few times at most: each try reads the file's metadata again.
    for (std::size_t skip = 0; skip < kPreviewTries; ++skip) {
        EmbeddedPreview preview;
        std::string noPreview;
        if (!ReadEmbeddedPreview(S(path), std::max(side, kSmallestPreview), skip, preview,
                                 noPreview)) {
            if (skip == 0) {
                reasons << Q(noPreview);
            }
            break;
        }
        QString why;
        picture.image = FromPreview(preview, side, why);
        if (!picture.image.isNull()) {
            return picture;
        }
        reasons << QStringLiteral("its preview image of %1 by %2 cannot be decoded (%3)")
                       .arg(preview.width)
                       .arg(preview.height)
                       .arg(why);
    }
    QString why;
    if (IsHeifFileName(S(path))) {
        picture.image = FromHeif(path, side, why);
    } else {
        picture.image = FromFile(path, side, why);
    }
    if (picture.image.isNull()) {
        reasons << QStringLiteral("its picture cannot be read (%1)").arg(why);
        picture.why = reasons.join(QStringLiteral("; "));
    }
    return picture;
}

}  // namespace geotal::app

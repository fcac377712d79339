// A thumbnail's picture: which of a photo's pictures it comes from, and that it stands upright.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <exiv2/exiv2.hpp>

#include "app/ThumbnailPicture.h"

namespace geotal::app {
namespace {

QByteArray Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

QImage TwoColours(int width, int height, QColor left, QColor right) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < height; ++y) {
        for (int x = width / 2; x < width; ++x) {
            image.setPixelColor(x, y, right);
        }
    }
    return image;
}

bool Near(QColor a, QColor b) {
    return std::abs(a.red() - b.red()) < 60 && std::abs(a.green() - b.green()) < 60 &&
           std::abs(a.blue() - b.blue()) < 60;
}

// Every pixel of the 3 by 2 picture has a colour of its own, so that where each lands shows
// the turn.
QColor ColourAt(int x, int y) {
    return QColor(40 + x * 80, 40 + y * 120, 200);
}

TEST(Upright, turnsAndMirrorsAsEachExifOrientationSays) {
    constexpr int kWidth = 3;
    constexpr int kHeight = 2;
    QImage stored(kWidth, kHeight, QImage::Format_RGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            stored.setPixelColor(x, y, ColourAt(x, y));
        }
    }
    // Where the pixel shown at (x, y) is stored, for each orientation.
    struct Case {
        int orientation;
        bool turned;  // shown 2 wide and 3 high
        std::function<QPoint(int x, int y)> source;
    };
    const int w = kWidth - 1;
    const int h = kHeight - 1;
    const Case cases[] = {
        {1, false, [](int x, int y) { return QPoint(x, y); }},
        {2, false, [w](int x, int y) { return QPoint(w - x, y); }},
        {3, false, [w, h](int x, int y) { return QPoint(w - x, h - y); }},
        {4, false, [h](int x, int y) { return QPoint(x, h - y); }},
        {5, true, [](int x, int y) { return QPoint(y, x); }},
        {6, true, [h](int x, int y) { return QPoint(y, h - x); }},
        {7, true, [w, h](int x, int y) { return QPoint(w - y, h - x); }},
        {8, true, [w](int x, int y) { return QPoint(w - y, x); }},
        {0, false, [](int x, int y) { return QPoint(x, y); }},
        {9, false, [](int x, int y) { return QPoint(x, y); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.orientation);
        const QImage shown = Upright(stored, c.orientation);
        ASSERT_EQ(shown.size(), c.turned ? QSize(kHeight, kWidth) : QSize(kWidth, kHeight));
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint from = c.source(x, y);
                EXPECT_EQ(shown.pixelColor(x, y), ColourAt(from.x(), from.y()))
                    << "shown at " << x << "," << y;
            }
        }
    }
}

class ThumbnailPictureTest : public ::testing::Test {
protected:
    QString PathOf(const QString& name) const { return dir_.filePath(name); }

    // A green JPEG of 400 by 200 whose EXIF thumbnail (160 by 80) is red on the left and blue
    // on the right, with the orientation given.
    QString JpegWithThumbnail(int orientation) const {
        const QString path = PathOf(QStringLiteral("thumbnailed.jpg"));
        QImage green(400, 200, QImage::Format_RGB32);
        green.fill(Qt::green);
        green.save(path, "JPEG");
        auto image = Exiv2::ImageFactory::open(path.toStdString());
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        exif["Exif.Image.Orientation"] = static_cast<std::uint16_t>(orientation);
        const QByteArray thumbnail = Encoded(TwoColours(160, 80, Qt::red, Qt::blue), "JPEG");
        Exiv2::ExifThumb(exif).setJpegThumbnail(
            reinterpret_cast<const Exiv2::byte*>(thumbnail.constData()), thumbnail.size());
        image->writeMetadata();
        return path;
    }

    QTemporaryDir dir_;
};

// The thumbnail comes from the embedded preview, not the photo, and is turned as the photo is.
TEST_F(ThumbnailPictureTest, turnsTheEmbeddedPreviewByThePhotosOrientation) {
    const ThumbnailPicture upright = LoadThumbnailPicture(JpegWithThumbnail(1), 64);
    ASSERT_FALSE(upright.image.isNull()) << upright.why.toStdString();
    EXPECT_EQ(upright.image.size(), QSize(64, 32));
    EXPECT_TRUE(Near(upright.image.pixelColor(8, 16), Qt::red));
    EXPECT_TRUE(Near(upright.image.pixelColor(56, 16), Qt::blue));

    // Turned a quarter clockwise: the left half of the stored picture is now the top.
    const ThumbnailPicture turned = LoadThumbnailPicture(JpegWithThumbnail(6), 64);
    ASSERT_FALSE(turned.image.isNull()) << turned.why.toStdString();
    EXPECT_EQ(turned.image.size(), QSize(32, 64));
    EXPECT_TRUE(Near(turned.image.pixelColor(16, 8), Qt::red));
    EXPECT_TRUE(Near(turned.image.pixelColor(16, 56), Qt::blue));

    // A little larger than the preview: the preview as it is, never blown up.
    EXPECT_EQ(LoadThumbnailPicture(JpegWithThumbnail(1), 300).image.size(), QSize(160, 80));
    // Over twice its size: the photo itself, turned as it says.
    const ThumbnailPicture large = LoadThumbnailPicture(JpegWithThumbnail(6), 400);
    EXPECT_EQ(large.image.size(), QSize(200, 400));
    EXPECT_TRUE(Near(large.image.pixelColor(100, 200), Qt::green));
}

// Without a preview, the picture itself, read at the thumbnail's size; with no picture at all,
// why not.
TEST_F(ThumbnailPictureTest, fallsBackToThePictureAndSaysWhyWhenThereIsNone) {
    const QString plain = PathOf(QStringLiteral("plain.png"));
    ASSERT_TRUE(TwoColours(300, 600, Qt::yellow, Qt::magenta).save(plain));
    const ThumbnailPicture picture = LoadThumbnailPicture(plain, 64);
    ASSERT_FALSE(picture.image.isNull()) << picture.why.toStdString();
    EXPECT_EQ(picture.image.size(), QSize(32, 64));
    EXPECT_TRUE(Near(picture.image.pixelColor(4, 32), Qt::yellow));
    EXPECT_TRUE(picture.why.isEmpty());

    const QString broken = PathOf(QStringLiteral("broken.jpg"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xff\xd8\xff\xe0 not a picture after all");
    file.close();
    const ThumbnailPicture none = LoadThumbnailPicture(broken, 64);
    EXPECT_TRUE(none.image.isNull());
    EXPECT_TRUE(none.why.contains(QStringLiteral("its picture cannot be read")))
        << none.why.toStdString();

    const ThumbnailPicture missing = LoadThumbnailPicture(PathOf(QStringLiteral("gone.cr2")), 64);
    EXPECT_TRUE(missing.image.isNull());
    EXPECT_FALSE(missing.why.isEmpty());
}

// Real RAW, HEIC, AVIF, TIFF and WebP files each give a picture within the size asked for.
TEST(ThumbnailPictureRealFiles, givesEveryKindOfPhotoAPicture) {
    const QDir raw(QStringLiteral(GEOTAL_REAL_RAW));
    if (!raw.exists()) {
        GTEST_SKIP() << "no real files";
    }
    for (const char* file :
         {"cr2/bep_sample.cr2", "cr3/ex2_Canon-R6-pruned.CR3", "nef/bep_sample.nef",
          "arw/bep_sample.arw", "dng/bep_sample.dng", "heic/ex2_IMG_3578.heic",
          "avif/bep_sunrise.avif", "tiff/ex2_Reagan.tiff", "webp/bep_sunrise.webp",
          "png/ex2_ReaganSmallPng.png"}) {
        SCOPED_TRACE(file);
        const ThumbnailPicture picture =
            LoadThumbnailPicture(raw.filePath(QString::fromLatin1(file)), 128);
        ASSERT_FALSE(picture.image.isNull()) << picture.why.toStdString();
        EXPECT_LE(std::max(picture.image.width(), picture.image.height()), 128);
        EXPECT_GE(std::max(picture.image.width(), picture.image.height()), 64);
    }
    // A RAW file with no preview is not decoded as the TIFF file it is inside.
    const ThumbnailPicture none =
        LoadThumbnailPicture(raw.filePath(QStringLiteral("gpr/eo_Hero8.GPR")), 128);
    EXPECT_TRUE(none.image.isNull());
    EXPECT_EQ(none.why.toStdString(),
              "it holds no preview image; its picture cannot be read (no picture reader for .gpr "
              "files)");
}

}  // namespace
}  // namespace geotal::app

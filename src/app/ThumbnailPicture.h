// A photo's thumbnail as a picture: read from the smallest embedded preview that is big enough
// (a RAW file is never decoded whole), else from the file's own picture, fitted into a square
// and turned upright. Safe to call on any thread.
#pragma once

#include <QImage>
#include <QString>

namespace geotal::app {

struct ThumbnailPicture {
    QImage image;  // null when no picture could be read
    QString why;   // then why not
};

// The picture of the photo at path, at most side pixels wide and high, upright.
ThumbnailPicture LoadThumbnailPicture(const QString& path, int side);

// The image as shown when its file records the EXIF orientation (1 to 8); others leave it be.
QImage Upright(const QImage& image, int orientation);

}  // namespace geotal::app

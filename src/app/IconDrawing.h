// The program's icon as an image of any size: the window and the installed icon files both
// come from this one drawing.
#pragma once

#include <QImage>

namespace geotal::app {

// A square image, transparent around a photo frame with a map pin on it. Needs no running
// application, so a build step can call it.
QImage DrawAppIcon(int size);

}  // namespace geotal::app

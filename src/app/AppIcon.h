// The program's icon, drawn at run time so no image file has to ship.
#pragma once

#include <QIcon>

namespace geotal::app {

QIcon AppIcon();

}  // namespace geotal::app

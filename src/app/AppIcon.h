// The window's icon, in the sizes a title bar and a task bar ask for.
#pragma once

#include <QIcon>

namespace geotal::app {

QIcon AppIcon();

}  // namespace geotal::app

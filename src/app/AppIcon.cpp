#include "app/AppIcon.h"

#include <QPixmap>

#include "app/IconDrawing.h"

namespace geotal::app {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(QPixmap::fromImage(DrawAppIcon(size)));
    }
    return icon;
}

}  // namespace geotal::app

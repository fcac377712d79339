#include "app/ScreenFit.h"

#include <QFont>

#include "app/DialogBuilder.h"
#include "res/DialogTemplate.h"

namespace geotal::app {
namespace {

// Below this a label's letters blur into each other.
constexpr int kSmallestPointSize = 6;

}  // namespace

int FittingPointSize(const res::DialogTemplate& layout, const QFont& font, const QRect& available,
                     QSize room) {
    const QSize space = available.size() - room;
    QFont trial = font;
    for (int size = layout.fontPointSize; size > kSmallestPointSize; --size) {
        trial.setPointSize(size);
        const DialogUnits units(trial);
        if (units.X(layout.width) <= space.width() && units.Y(layout.height) <= space.height()) {
            return size;
        }
    }
    return kSmallestPointSize;
}

QSize SizeWithin(QSize wanted, QSize minimum, const QRect& available, QSize room) {
    return wanted.boundedTo(available.size() - room).expandedTo(minimum);
}

}  // namespace geotal::app

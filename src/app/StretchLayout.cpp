#include "app/StretchLayout.h"

#include <algorithm>

namespace geotal::app {

StretchLayout::StretchLayout(QWidget& window, QWidget& stretch)
    : window_(window), base_(window.size()) {
    const QRect list = stretch.geometry();
    for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->isWindow()) {
            const QRect rect = child->geometry();
            Anchor anchor = Anchor::Stay;
            if (child == &stretch) {
                anchor = Anchor::Grow;
            } else if (rect.left() >= list.right()) {
                anchor = rect.top() >= list.bottom() ? Anchor::RightBottom : Anchor::Right;
            } else if (rect.top() >= list.bottom()) {
                anchor = rect.width() > list.width() / 2 ? Anchor::BottomWiden : Anchor::Bottom;
            } else if (rect.bottom() <= list.top()) {
                // Above the list: what spans most of it widens, what sits at its end follows.
                if (rect.width() > list.width() / 2) {
                    anchor = Anchor::Widen;
                } else if (rect.left() > list.left() + list.width() * 3 / 4) {
                    anchor = Anchor::Right;
                }
            }
            children_.push_back({child, rect, anchor});
        }
    }
    window.setMinimumSize(base_);
}

void StretchLayout::Apply() {
    const int dx = std::max(0, window_.width() - base_.width());
    const int dy = std::max(0, window_.height() - base_.height());
    for (const Placed& placed : children_) {
        if (placed.widget == nullptr) {
            continue;
        }
        QRect rect = placed.rect;
        switch (placed.anchor) {
            case Anchor::Stay:
                break;
            case Anchor::Grow:
                rect.setSize(rect.size() + QSize(dx, dy));
                break;
            case Anchor::Right:
                rect.translate(dx, 0);
                break;
            case Anchor::Bottom:
                rect.translate(0, dy);
                break;
            case Anchor::RightBottom:
                rect.translate(dx, dy);
                break;
            case Anchor::Widen:
                rect.setWidth(rect.width() + dx);
                break;
            case Anchor::BottomWiden:
                rect.translate(0, dy);
                rect.setWidth(rect.width() + dx);
                break;
        }
        placed.widget->setGeometry(rect);
    }
}

}  // namespace geotal::app

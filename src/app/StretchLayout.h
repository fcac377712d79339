// Lets a window laid out in fixed places grow: one control takes the extra room, and the others
// keep their places relative to the edges of the window it grows towards.
#pragma once

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

#include <vector>

namespace geotal::app {

class StretchLayout {
public:
    // Notes where every child of window lies now, at its smallest size. stretch takes all the
    // extra room; a child wholly right of it follows the right edge, a child wholly below it
    // the bottom edge (widening when it spans most of stretch's width); a child above it that
    // spans most of its width (a group box, a field) widens, and one above it at its right end
    // moves with the right edge.
    StretchLayout(QWidget& window, QWidget& stretch);

    // Places the children for the window's present size.
    void Apply();

private:
    enum class Anchor { Stay, Grow, Right, Bottom, RightBottom, Widen, BottomWiden };
    struct Placed {
        QPointer<QWidget> widget;
        QRect rect;
        Anchor anchor;
    };

    QWidget& window_;
    QSize base_;
    std::vector<Placed> children_;
};

}  // namespace geotal::app

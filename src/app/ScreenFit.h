// A window laid out in fixed places must open within the screen, whatever its scale: at 200% on
// a small screen the layout's own size can be larger than the screen, every button off it.
#pragma once

#include <QRect>
#include <QSize>

class QFont;

namespace geotal::res {
struct DialogTemplate;
}

namespace geotal::app {

// Room a window needs around its layout: the frame, the title bar and a menu bar.
inline constexpr QSize kWindowFrameRoom(16, 80);

// The largest point size, from the layout's own down to a smallest that stays readable, at which
// the layout and room fit within available; the smallest when none does.
int FittingPointSize(const res::DialogTemplate& layout, const QFont& font, const QRect& available,
                     QSize room = kWindowFrameRoom);

// The size to open at: wanted, cut to what fits within available less room, but never below
// minimum (the layout's size).
QSize SizeWithin(QSize wanted, QSize minimum, const QRect& available,
                 QSize room = kWindowFrameRoom);

}  // namespace geotal::app

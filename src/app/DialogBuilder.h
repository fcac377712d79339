// Turns a dialog layout from src/res into Qt widgets placed as the layout says.
#pragma once

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <span>

#include "res/DialogTemplate.h"

class QDialog;

namespace geotal::app {

// Converts dialog units to pixels from a font's metrics, as the layouts were drawn for:
// x * average character width / 4, y * character height / 8.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    int X(int units) const { return (units * baseX_ + 2) / 4; }
    int Y(int units) const { return (units * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int width, int height) const;
    // Pixel sizes drawn for the layouts' original font, whose characters were 6 pixels wide.
    int Pixels(int originalPixels) const { return (originalPixels * baseX_ + 3) / 6; }

private:
    int baseX_;
    int baseY_;
};

// What a screen reader says for a control: its caption without the "&" marker, lines and
// runs of blanks joined by one space.
QString AccessibleText(const QString& caption);

// The controls of one built dialog, found by their layout id.
class BuiltDialog {
public:
    QWidget* Control(int id) const { return controls_.value(id); }
    template <typename T>
    T* As(int id) const {
        return qobject_cast<T*>(Control(id));
    }

    // The radio group whose buttons have these ids, in order: the index of the checked one,
    // -1 when none is.
    int CheckedIndex(std::span<const int> radioIds) const;
    // Checks the radio at index; an index outside the ids leaves none of them checked.
    void Check(std::span<const int> radioIds, int index) const;

private:
    friend BuiltDialog BuildDialog(const res::DialogTemplate&, QDialog&, int);
    QHash<int, QPointer<QWidget>> controls_;
};

// Creates every control of the layout as a child of the dialog, sets the caption, the font and
// a fixed size. Controls with an id can be looked up; every control gets its id as objectName
// ("1009"), so tests and tools find them. pointSize, where given, replaces the layout's font
// size: every place and size follows it.
BuiltDialog BuildDialog(const res::DialogTemplate& layout, QDialog& dialog, int pointSize = 0);

}  // namespace geotal::app

// Checks every dialog built from a layout should pass, as a person looking at it would notice.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

namespace geotal::app::test {

// Shows the dialog and checks that no caption, group title or list entry is cut off and that no
// two visible controls cover each other (group boxes excepted: they frame others).
inline void ExpectCaptionsFitAndNothingOverlaps(QDialog& dialog) {
    dialog.show();
    QApplication::processEvents();
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        // The hint of a radio or check box is its mark plus its caption.
        const QSize needed = qobject_cast<QPushButton*>(button) != nullptr
                                 ? button->fontMetrics().size(Qt::TextShowMnemonic, button->text())
                                 : button->sizeHint();
        EXPECT_LE(needed.width(), button->width()) << button->text().toStdString();
        EXPECT_LE(needed.height(), button->height()) << button->text().toStdString();
    }
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        const QSize needed = label->fontMetrics().size(0, label->text());
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
    }
    for (QComboBox* list : dialog.findChildren<QComboBox*>()) {
        // The hint is wide enough for the longest entry beside the arrow.
        EXPECT_LE(list->sizeHint().width(), list->width()) << list->accessibleName().toStdString();
    }
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        EXPECT_LT(group->fontMetrics().horizontalAdvance(group->title()), group->width())
            << group->title().toStdString();
    }
    QList<QWidget*> controls;
    for (QWidget* widget : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (widget->isVisible() && qobject_cast<QGroupBox*>(widget) == nullptr) {
            controls << widget;
        }
    }
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << controls[i]->accessibleName().toStdString() << " covers "
                << controls[j]->accessibleName().toStdString();
        }
    }
}

// Clicks the middle of a control's caption, where a person would: a radio or check box wider
// than its caption does not answer clicks on the empty space after it.
inline void ClickCaption(QWidget* control) {
    const int x = std::min(control->width(), control->sizeHint().width()) / 2;
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(x, control->height() / 2));
}

// Each control of the table, found by its id, says the given name to a screen reader.
template <typename Window>
void ExpectAccessibleNames(const Window& window,
                           std::initializer_list<std::pair<int, const char*>> expected) {
    for (const auto& [id, name] : expected) {
        ASSERT_NE(window.Control(id), nullptr) << id;
        EXPECT_EQ(window.Control(id)->accessibleName(), QString::fromUtf8(name)) << id;
    }
}

// Every control says something to a screen reader.
inline void ExpectEveryControlNamed(const QDialog& dialog) {
    for (QWidget* widget : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << widget->metaObject()->className();
    }
}

// Runs a modal dialog with run and, once it is up, the given steps on it; a dialog the steps
// leave open is cancelled, so no test hangs in its loop.
template <typename Dialog>
bool RunModal(const std::function<bool()>& run, const std::function<void(Dialog&)>& steps) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        steps(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    return run();
}

}  // namespace geotal::app::test

// Driving a modal dialog from a test: the steps run once it is up, inside its own event loop.
#pragma once

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace geotal::test {

// Runs the steps on the modal dialog of type D once it is up, then rejects what is left open.
template <typename D>
void WhenUp(std::function<void(D&)> steps) {
    QTimer::singleShot(0, [steps] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        steps(*dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
}

}  // namespace geotal::test

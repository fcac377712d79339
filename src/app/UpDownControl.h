// A pair of arrows attached to an edit: each step writes the edit's integer one up or down,
// within a range. The Up and Down keys in the edit step it too.
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;

namespace geotal::app {

class UpDownControl : public QWidget {
    Q_OBJECT

public:
    // buddy may be null; the arrows then do nothing.
    UpDownControl(QLineEdit* buddy, QWidget* parent);

    void SetRange(int minimum, int maximum);
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }

    // Moves the edit's integer by steps, stopping at the ends of the range.
    void Step(int steps);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QLineEdit> buddy_;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;  // used while the edit holds no integer
};

}  // namespace geotal::app

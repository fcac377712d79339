// The line under the list that says what the last command did: cut with an ellipsis where the
// window is too narrow for it, the whole text on hover, and the text itself given to screen
// readers (the label's name only says what the line is for).
#pragma once

#include <QObject>
#include <QString>

class QLabel;

namespace geotal::app {

class SummaryLine : public QObject {
    Q_OBJECT

public:
    explicit SummaryLine(QLabel& label);

    // text: the line; details: more on hover (may be empty).
    void Show(const QString& text, const QString& details);
    const QString& Text() const { return text_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fit();

    QLabel& label_;
    QString text_;
    QString details_;
};

}  // namespace geotal::app

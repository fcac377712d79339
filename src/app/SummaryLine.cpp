#include "app/SummaryLine.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

namespace geotal::app {

SummaryLine::SummaryLine(QLabel& label) : QObject(&label), label_(label) {
    label_.installEventFilter(this);
    // Grown past the list's width by the dialog builder; the line keeps to the list's.
    label_.setMinimumWidth(0);
}

void SummaryLine::Show(const QString& text, const QString& details) {
    text_ = text;
    details_ = details;
    label_.setAccessibleDescription(details.isEmpty() ? text : text + QLatin1Char('\n') + details);
    Fit();
}

void SummaryLine::Fit() {
    const QString shown = QFontMetrics(label_.font())
                              .elidedText(text_, Qt::ElideRight, label_.contentsRect().width());
    if (shown != label_.text()) {
        label_.setText(shown);
    }
    // The hover gives what the line cannot: the whole text where it is cut, and the details.
    QString tip = shown != text_ ? text_ : QString();
    if (!details_.isEmpty()) {
        tip += (tip.isEmpty() ? QString() : QStringLiteral("\n\n")) + details_;
    }
    label_.setToolTip(tip);
}

bool SummaryLine::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &label_ &&
        (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)) {
        Fit();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace geotal::app

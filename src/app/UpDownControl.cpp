#include "app/UpDownControl.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace geotal::app {
namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAccessibleName(name);
    // The arrows are worked with the mouse; the keyboard steps from the edit itself.
    button->setFocusPolicy(Qt::NoFocus);
    // Each arrow takes half the control, however small the layout drew it.
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

}  // namespace

UpDownControl::UpDownControl(QLineEdit* buddy, QWidget* parent) : QWidget(parent), buddy_(buddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton* up = ArrowButton(Qt::UpArrow, QStringLiteral("Up"), this);
    QToolButton* down = ArrowButton(Qt::DownArrow, QStringLiteral("Down"), this);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
    if (buddy_ != nullptr) {
        buddy_->installEventFilter(this);
    }
}

void UpDownControl::SetRange(int minimum, int maximum) {
    minimum_ = std::min(minimum, maximum);
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDownControl::Step(int steps) {
    if (buddy_ == nullptr) {
        return;
    }
    bool isInteger = false;
    const int typed = buddy_->text().trimmed().toInt(&isInteger);
    const long long start = isInteger ? typed : position_;
    position_ = static_cast<int>(std::clamp<long long>(start + steps, minimum_, maximum_));
    buddy_->setText(QString::number(position_));
}

bool UpDownControl::eventFilter(QObject* watched, QEvent* event) {
    // The event's type first: while the edit is being destroyed it is no longer a QLineEdit,
    // and comparing with the guarded pointer would cast it to one.
    if (event->type() == QEvent::KeyPress && watched == buddy_) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace geotal::app

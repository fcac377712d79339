#include "app/DialogBuilder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTimeEdit>

#include <algorithm>
#include <cstdlib>

#include "app/AppIcon.h"
#include "app/UpDownControl.h"

namespace geotal::app {

using res::ControlKind;
using res::ControlTemplate;

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseX_ = (width / 26 + 1) / 2;
    baseY_ = metrics.height();
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

int BuiltDialog::CheckedIndex(std::span<const int> radioIds) const {
    for (std::size_t i = 0; i < radioIds.size(); ++i) {
        const auto* radio = As<QAbstractButton>(radioIds[i]);
        if (radio != nullptr && radio->isChecked()) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void BuiltDialog::Check(std::span<const int> radioIds, int index) const {
    for (std::size_t i = 0; i < radioIds.size(); ++i) {
        auto* radio = As<QAbstractButton>(radioIds[i]);
        if (radio == nullptr) {
            continue;
        }
        // An exclusive group refuses to uncheck its checked button; "none" needs it lifted.
        QButtonGroup* group = radio->group();
        const bool exclusive = group != nullptr && group->exclusive();
        if (exclusive) {
            group->setExclusive(false);
        }
        radio->setChecked(static_cast<int>(i) == index);
        if (exclusive) {
            group->setExclusive(true);
        }
    }
}

QString AccessibleText(const QString& caption) {
    QString text = caption;
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return text.simplified();
}

namespace {

// A caption that the layout lets wrap: the double blank marks where the line breaks.
QString DisplayText(const ControlTemplate& c) {
    QString text = QString::fromUtf8(c.text);
    if (c.style & res::kMultiLine) {
        text.replace(QStringLiteral("  "), QStringLiteral("\n"));
    }
    return text;
}

// A label beside a field on its row reads on the field's text line: it takes the field's
// height and centres its text as the field does.
void AlignLabelsWithFields(QDialog& dialog) {
    const QList<QWidget*> children =
        dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* child : children) {
        auto* label = qobject_cast<QLabel*>(child);
        if (label == nullptr || label->wordWrap() || label->text().isEmpty()) {
            continue;
        }
        const QRect rect = label->geometry();
        QWidget* field = nullptr;
        for (QWidget* other : children) {
            const bool isField = qobject_cast<QLineEdit*>(other) != nullptr ||
                                 qobject_cast<QComboBox*>(other) != nullptr ||
                                 qobject_cast<QTimeEdit*>(other) != nullptr;
            const QRect place = other->geometry();
            if (isField && place.left() >= rect.left() &&
                std::abs(place.top() - rect.top()) <= rect.height() / 2 &&
                (field == nullptr || place.left() < field->geometry().left())) {
                field = other;
            }
        }
        if (field != nullptr) {
            label->setGeometry(rect.left(), field->y(), rect.width(), field->height());
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
}

// previous is the control made just before this one; an up-down control steps it.
QWidget* CreateControl(const ControlTemplate& c, QDialog& dialog, QWidget* previous) {
    const QString text = DisplayText(c);
    switch (c.kind) {
        case ControlKind::Group:
            return new QGroupBox(text, &dialog);
        case ControlKind::Label: {
            auto* label = new QLabel(text, &dialog);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setWordWrap(c.style & res::kWordWrap);
            return label;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(&dialog);
            label->setPixmap(AppIcon().pixmap(32, 32));
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(text, &dialog);
            edit->setReadOnly(c.style & res::kReadOnly);
            if (c.style & res::kNoBorder) {
                edit->setFrame(false);
                // Read-only fields without a border look like text on the dialog.
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                edit->setPalette(palette);
                // Their copy menu would hide the window's own menu (with About) from a click.
                edit->setContextMenuPolicy(Qt::NoContextMenu);
            }
            if (c.style & res::kDigitsOnly) {
                edit->setValidator(new QIntValidator(edit));
            }
            if (c.style & res::kRightAlign) {
                edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            return edit;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, &dialog);
            button->setAutoDefault(false);
            button->setDefault(c.style & res::kDefault);
            return button;
        }
        case ControlKind::Radio:
            return new QRadioButton(text, &dialog);
        case ControlKind::CheckBox:
            return new QCheckBox(text, &dialog);
        case ControlKind::DropDownList: {
            auto* list = new QComboBox(&dialog);
            list->addItems(text.split(QLatin1Char('\n')));
            return list;
        }
        case ControlKind::ListView: {
            auto* table = new QTableView(&dialog);
            table->verticalHeader()->hide();
            table->setShowGrid(true);
            table->setSelectionBehavior(QAbstractItemView::SelectRows);
            table->setSelectionMode(QAbstractItemView::ExtendedSelection);
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->setSortingEnabled(false);
            table->setWordWrap(false);
            table->horizontalHeader()->setSectionsClickable(false);
            table->horizontalHeader()->setHighlightSections(false);
            table->horizontalHeader()->setStretchLastSection(false);
            table->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
            return table;
        }
        case ControlKind::ProgressBar: {
            auto* bar = new QProgressBar(&dialog);
            bar->setTextVisible(false);
            return bar;
        }
        case ControlKind::UpDown:
            return new UpDownControl(qobject_cast<QLineEdit*>(previous), &dialog);
        case ControlKind::TimePicker: {
            auto* picker = new QTimeEdit(&dialog);
            picker->setDisplayFormat(QStringLiteral("HH:mm:ss"));
            if (c.style & res::kRightAlign) {
                picker->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            return picker;
        }
    }
    return new QLabel(text, &dialog);
}

}  // namespace

BuiltDialog BuildDialog(const res::DialogTemplate& layout, QDialog& dialog, int pointSize) {
    QFont font = dialog.font();
    font.setPointSize(pointSize > 0 ? pointSize : layout.fontPointSize);
    dialog.setFont(font);
    dialog.setWindowTitle(QString::fromUtf8(layout.caption));
    const DialogUnits units(font);

    BuiltDialog built;
    QWidget* previousTabStop = nullptr;
    QWidget* previous = nullptr;
    QButtonGroup* radioGroup = nullptr;
    for (const ControlTemplate& c : layout.controls) {
        QWidget* widget = CreateControl(c, dialog, previous);
        previous = widget;
        if (c.kind == ControlKind::Radio) {
            // Radios of one parent would all exclude each other; the layout says which belong
            // together.
            if (radioGroup == nullptr || (c.style & res::kGroupStart)) {
                radioGroup = new QButtonGroup(&dialog);
            }
            radioGroup->addButton(qobject_cast<QRadioButton*>(widget));
        }
        QRect rect = units.Rect(c.x, c.y, c.width, c.height);
        if (c.kind == ControlKind::Label && (c.style & res::kWordWrap)) {
            // A wrapping label keeps its width and takes the lines its text needs.
            rect.setHeight(std::max(rect.height(), widget->heightForWidth(rect.width())));
        } else if (c.kind == ControlKind::Label) {
            // The layouts were measured for a narrower font: let a label run on to the right
            // rather than cut its text (there is free space after every label).
            rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
            rect.setHeight(std::max(rect.height(), widget->sizeHint().height()));
        } else if (c.kind == ControlKind::Radio || c.kind == ControlKind::CheckBox) {
            // Same for a choice's caption; its mark may also be taller than the layout's line,
            // so it grows about its middle and stays level with what stands beside it.
            const QSize hint = widget->sizeHint();
            rect.setWidth(std::max(rect.width(), hint.width()));
            if (hint.height() > rect.height()) {
                rect.adjust(0, -(hint.height() - rect.height()) / 2, 0, 0);
                rect.setHeight(hint.height());
            }
        } else if (c.kind == ControlKind::DropDownList) {
            // The layout's height includes the opened list; closed, it is one line high and as
            // wide as its longest entry needs.
            rect.setHeight(widget->sizeHint().height());
            rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
        }
        widget->setGeometry(rect);
        widget->setAccessibleName(c.accessibleName != nullptr
                                      ? QString::fromUtf8(c.accessibleName)
                                      : AccessibleText(QString::fromUtf8(c.text)));
        widget->setFocusPolicy((c.style & res::kTabStop) ? Qt::StrongFocus : Qt::NoFocus);
        if (c.style & res::kHidden) {
            widget->hide();
        }
        widget->setEnabled(!(c.style & res::kDisabled));
        if (c.id >= 0) {
            widget->setObjectName(QString::number(c.id));
            built.controls_.insert(c.id, widget);
        }
        if (c.style & res::kTabStop) {
            if (previousTabStop != nullptr) {
                QWidget::setTabOrder(previousTabStop, widget);
            }
            previousTabStop = widget;
        }
    }
    AlignLabelsWithFields(dialog);
    // The group's caption sits on its frame's top line, as the layouts were drawn: with the
    // caption above the frame, fields placed just under the caption would cross the line. Only
    // the groups take the style sheet, so every other control keeps the desktop's look.
    const QString groupStyle =
        QStringLiteral(
            "QGroupBox { border: 1px solid palette(mid); border-radius: 3px;"
            " margin-top: %1px; }"
            "QGroupBox::title { subcontrol-origin: margin; left: %2px; top: 0px;"
            " padding: 0 2px; }")
            .arg(QFontMetrics(dialog.font()).height() / 2)
            .arg(units.X(3));
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>()) {
        group->setStyleSheet(groupStyle);
    }
    dialog.setFixedSize(units.X(layout.width), units.Y(layout.height));
    return built;
}

}  // namespace geotal::app

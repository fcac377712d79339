#include "app/WindowMenus.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace geotal::app {

void AddMenuBar(QWidget& window, const MenuBarCommands& commands) {
    auto* bar = new QMenuBar(&window);
    if (commands.restoreFromCopies) {
        QMenu* file = bar->addMenu(QStringLiteral("&File"));
        QAction* restore = file->addAction(QStringLiteral("&Restore photos from copies\u2026"));
        restore->setObjectName(QStringLiteral("restoreFromCopies"));
        QObject::connect(restore, &QAction::triggered, &window, commands.restoreFromCopies);
    }
    // The keys are the window's accelerators (off while a folder field has the focus, where
    // they edit its text); the menu names them without taking them.
    // Alt+E is Export's and Alt+H the Help button's: a second owner would make either key
    // only move the focus between the two.
    QMenu* edit = bar->addMenu(QStringLiteral("E&dit"));
    QAction* undo = edit->addAction(QStringLiteral("&Undo\tCtrl+Z"));
    QObject::connect(undo, &QAction::triggered, &window, commands.undo);
    QObject::connect(edit, &QMenu::aboutToShow, &window,
                     [undo, canUndo = commands.canUndo] { undo->setEnabled(canUndo()); });
    edit->addSeparator();
    QObject::connect(edit->addAction(QStringLiteral("&Copy position\tCtrl+C")), &QAction::triggered,
                     &window, commands.copy);
    QObject::connect(edit->addAction(QStringLiteral("&Paste position\tCtrl+V")),
                     &QAction::triggered, &window, commands.paste);
    QObject::connect(edit->addAction(QStringLiteral("&Remove Position")), &QAction::triggered,
                     &window, commands.removePosition);
    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    QAction* map = view->addAction(QStringLiteral("&Map"));
    map->setCheckable(true);
    map->setChecked(commands.mapShown);
    QObject::connect(map, &QAction::toggled, &window, commands.showMap);
    QObject::connect(view->addAction(QStringLiteral("&Clear map cache")), &QAction::triggered,
                     &window, commands.clearMapCache);
    if (commands.showThumbnails) {
        QAction* thumbnails = view->addAction(QStringLiteral("&Thumbnails"));
        thumbnails->setCheckable(true);
        thumbnails->setChecked(commands.thumbnailsShown);
        QObject::connect(thumbnails, &QAction::toggled, &window, commands.showThumbnails);
    }
    QMenu* menu = bar->addMenu(QStringLiteral("Hel&p"));
    QAction* contents = menu->addAction(QStringLiteral("Geotal &Help"));
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WidgetShortcut);  // F1 itself is the window's accelerator
    QObject::connect(contents, &QAction::triggered, &window, commands.help);
    QObject::connect(menu->addAction(QStringLiteral("&About Geotal...")), &QAction::triggered,
                     &window, commands.about);
    // The layout's controls move down under the bar; the window grows by its height.
    const int height = bar->sizeHint().height();
    for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child != bar && !child->isWindow()) {
            child->move(child->x(), child->y() + height);
        }
    }
    const QSize size(window.width(), window.height() + height);
    window.setMinimumSize(size);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window.resize(size);
    bar->setGeometry(0, 0, window.width(), height);
}

PhotoMenuChoice RunPhotoMenu(QWidget* parent, const QPoint& globalPosition,
                             const PhotoMenuOffer& offer) {
    // Linux window managers own the system menu, so the About item lives here.
    QMenu menu(parent);
    // Each entry carries the choice it stands for.
    const auto add = [&menu](const QString& text, PhotoMenuChoice choice, bool enabled) {
        QAction* action = menu.addAction(text);
        action->setData(static_cast<int>(choice));
        action->setEnabled(enabled);
    };
    if (offer.onPhoto) {
        // The shortcuts are the window's own; the menu only names them.
        add(QStringLiteral("Copy position\tCtrl+C"), PhotoMenuChoice::Copy,
            !offer.busy && offer.hasPosition);
        add(QStringLiteral("Paste position\tCtrl+V"), PhotoMenuChoice::Paste,
            !offer.busy && offer.canPaste);
        add(QStringLiteral("Show on Map"), PhotoMenuChoice::ShowOnMap, offer.hasPosition);
        add(QStringLiteral("Remove Position"), PhotoMenuChoice::RemovePosition,
            !offer.busy && offer.canRemove);
        menu.addSeparator();
        add(QStringLiteral("Synchronise camera clock with this photo\u2026"), PhotoMenuChoice::Sync,
            !offer.busy && offer.canSync);
        if (offer.isSyncPhoto) {
            add(QStringLiteral("Remove the clock sync with this photo"),
                PhotoMenuChoice::RemoveSync, !offer.busy);
        }
        menu.addSeparator();
    }
    add(QStringLiteral("&About Geotal..."), PhotoMenuChoice::About, true);
    const QAction* chosen = menu.exec(globalPosition);
    return chosen != nullptr ? static_cast<PhotoMenuChoice>(chosen->data().toInt())
                             : PhotoMenuChoice::None;
}

}  // namespace geotal::app

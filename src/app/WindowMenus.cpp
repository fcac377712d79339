#include "app/WindowMenus.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace geotal::app {

void AddMenuBar(QWidget& window, const MenuBarCommands& commands) {
    auto* bar = new QMenuBar(&window);
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
    QMenu* menu = bar->addMenu(QStringLiteral("&Help"));
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
    QAction* sync = nullptr;
    QAction* unsync = nullptr;
    if (offer.onPhoto) {
        sync = menu.addAction(QStringLiteral("Synchronise camera clock with this photo\u2026"));
        sync->setEnabled(!offer.busy && offer.canSync);
        if (offer.isSyncPhoto) {
            unsync = menu.addAction(QStringLiteral("Remove the clock sync with this photo"));
            unsync->setEnabled(!offer.busy);
        }
    }
    QAction* about = menu.addAction(QStringLiteral("&About Geotal..."));
    QAction* chosen = menu.exec(globalPosition);
    if (chosen == nullptr) {
        return PhotoMenuChoice::None;
    }
    return chosen == about  ? PhotoMenuChoice::About
           : chosen == sync ? PhotoMenuChoice::Sync
                            : PhotoMenuChoice::RemoveSync;
}

}  // namespace geotal::app

// The main window's menus: the menu bar above its fixed layout, and the context menu of the
// photo list.
#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace geotal::app {

struct MenuBarCommands {
    std::function<void()> help;
    std::function<void()> about;
    std::function<void(bool shown)> showMap;
    std::function<void()> clearMapCache;
    bool mapShown = true;
    std::function<void(bool shown)> showThumbnails;
    bool thumbnailsShown = true;
};

// Puts a View menu (the map, its cache, the list's thumbnails) and a Help menu (contents, About)
// above the window's controls, moves them under it and grows the window by the bar's height.
void AddMenuBar(QWidget& window, const MenuBarCommands& commands);

struct PhotoMenuOffer {
    bool onPhoto = false;      // the click was on a photo's row
    bool canSync = false;      // the photo has a capture time to synchronise with
    bool isSyncPhoto = false;  // its camera's clock is synchronised with it already
    bool busy = false;         // a run is going on: nothing is offered but About
};
enum class PhotoMenuChoice { None, About, Sync, RemoveSync };

PhotoMenuChoice RunPhotoMenu(QWidget* parent, const QPoint& globalPosition,
                             const PhotoMenuOffer& offer);

}  // namespace geotal::app

// The main window's menus: the menu bar above its fixed layout, and the context menu of the
// photo list.
#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace geotal::app {

struct MenuBarCommands {
    std::function<void()> undo;
    std::function<bool()> canUndo;  // asked as the Edit menu opens
    std::function<void()> copy;
    std::function<void()> paste;
    std::function<void()> removePosition;
    std::function<void()> help;
    std::function<void()> about;
    std::function<void(bool shown)> showMap;
    std::function<void()> clearMapCache;
    bool mapShown = true;
    std::function<void(bool shown)> showThumbnails;
    bool thumbnailsShown = true;
    std::function<void()> restoreFromCopies;  // none: no File menu
};

// Puts a File menu (restore from copies), an Edit menu (undo, copy, paste, remove), a View menu
// (the map, its cache, the list's thumbnails) and a Help menu (contents, About) above the
// window's controls, moves them under it and grows the window by the bar's height.
void AddMenuBar(QWidget& window, const MenuBarCommands& commands);

struct PhotoMenuOffer {
    bool onPhoto = false;      // the click was on a photo's row
    bool hasPosition = false;  // the photo has a position to copy or show
    bool canPaste = false;     // a position was copied, to paste onto the selected rows
    bool canSync = false;      // the photo has a capture time to synchronise with
    bool isSyncPhoto = false;  // its camera's clock is synchronised with it already
    bool canRemove = false;    // a row it acts on has a position to remove
    bool busy = false;         // a run is going on: nothing is offered but About
};
enum class PhotoMenuChoice {
    None,
    About,
    Copy,
    Paste,
    ShowOnMap,
    Sync,
    RemoveSync,
    RemovePosition
};

PhotoMenuChoice RunPhotoMenu(QWidget* parent, const QPoint& globalPosition,
                             const PhotoMenuOffer& offer);

}  // namespace geotal::app

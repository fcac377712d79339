// UiServices: message boxes, the folder and file pickers, the documents folder and the help page.
#pragma once

#include <QString>

#include <memory>

#include "session/Notice.h"

class QWidget;

namespace geotal {

// The button pressed in a message box.
enum class MessageAnswer { Ok, Yes, No };

// The caption that goes with a type word's kind (bits 0xF0): "Error", "Question", "Warning"
// or "Information"; any other kind, and none, gives "Warning".
QString MessageCaption(unsigned typeWord);

// The real dialogs. Tests replace the instance (SetUi) to answer without a human.
class UiServices {
public:
    virtual ~UiServices() = default;

    // Modal box with the caption of MessageCaption, the kind's icon (none for kind 0) and
    // OK or Yes/No buttons. The owner is the given window, else the active window, else none.
    // Escape on a Yes/No box answers No.
    virtual MessageAnswer ShowMessage(const QString& text, unsigned typeWord,
                                      QWidget* owner = nullptr);

    // Modal folder picker opening at initial (the picker's default when that is empty or
    // missing). The chosen folder, or the empty string when the user cancels.
    virtual QString BrowseForFolder(const QString& initial);

    // Modal Save As picker with no initial name: filter as Qt writes it ("CSV-file (*.csv)"; empty
    // for all files), and the suffix added to a name typed without one. An existing file is
    // chosen without asking, as the caller replaces it anyway. The chosen path, or the empty
    // string when the user cancels.
    virtual QString BrowseForSaveFile(const QString& filter, const QString& defaultSuffix);

    // The user's documents folder; the home folder when none is configured.
    virtual QString GetDocumentsFolder();

    // Opens the help page in the desktop's viewer; false when the file is missing or nothing
    // could open it.
    virtual bool ShowHelp(const QString& helpFilePath);

    // Opens a web page in the desktop's browser, never through a shell; false when no browser
    // could be started.
    virtual bool OpenWebAddress(const QString& address);
};

// The process-wide services every command uses; the real dialogs unless replaced.
UiServices& Ui();

// Replaces the services (null restores the real ones) and returns the previous instance.
std::unique_ptr<UiServices> SetUi(std::unique_ptr<UiServices> services);

}  // namespace geotal

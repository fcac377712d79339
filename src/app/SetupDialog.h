// The "Setup" dialog: coordinate format, copies before updating, map service, the trace, the
// photo time zone and where positions go besides the photos.
#pragma once

#include <QDialog>

#include <string>

#include "app/DialogBuilder.h"
#include "output/Formatting.h"
#include "session/SetupChoices.h"
#include "settings/SettingsStore.h"

namespace geotal::app {

// The choices as they stand: from the settings, and the trace from whether it is on now.
SetupChoices SetupChoicesFrom(const Settings& settings);

class SetupDialog : public QDialog {
    Q_OBJECT

public:
    SetupDialog(QWidget* parent, const SetupChoices& choices);

    // The choices as the dialog opened with them; after OK, as it ends with them. A radio
    // group left without a choice keeps the value the dialog opened with.
    const SetupChoices& Choices() const { return choices_; }
    QWidget* Control(int id) const { return controls_.Control(id); }

    void accept() override;

private:
    void EnableCopyFolder(bool enabled);
    void BrowseForCopyFolder();

    BuiltDialog controls_;
    SetupChoices choices_;
};

// Runs the dialog modally over parent; on OK writes the choices back and returns true; Cancel
// changes nothing.
bool RunSetupDialog(QWidget* parent, SetupChoices& choices);

}  // namespace geotal::app

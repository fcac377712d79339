// The "Export positions" dialog: the file format, the CSV field separator and the output file.
#pragma once

#include <QDialog>

#include <string>

#include "app/DialogBuilder.h"

namespace geotal::app {

// What the dialog asks for, as the settings keep it.
struct ExportChoices {
    int format = 0;  // 0 CSV, 1 KML; -1 when neither is chosen (only from a damaged setting)
    std::string fileName;
    int separatorIndex = 0;  // 0 comma, 1 semicolon, 2 tab; -1 when the list has no selection
};

class ExportDialog : public QDialog {
    Q_OBJECT

public:
    ExportDialog(QWidget* parent, const ExportChoices& choices);

    // The choices as the dialog opened with them; after OK, as it ends with them.
    const ExportChoices& Choices() const { return choices_; }
    QWidget* Control(int id) const { return controls_.Control(id); }

    // OK: closes only with an output file named; otherwise a warning and the focus goes to the
    // field.
    void accept() override;

private:
    void TakeControls();
    void EnableSeparator(bool enabled);
    // The separator and the file name's extension follow the format.
    void FormatChosen(bool csv);
    void BrowseForOutputFile();

    BuiltDialog controls_;
    ExportChoices choices_;
};

// Runs the dialog modally over parent starting from choices; on OK writes the dialog's choices
// back and returns true; Cancel changes nothing.
bool RunExportDialog(QWidget* parent, ExportChoices& choices);

}  // namespace geotal::app

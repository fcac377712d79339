// The "Export positions" dialog: the file format, the CSV field separator and the output file.
#pragma once

#include <QDialog>

#include <string>

#include "app/DialogBuilder.h"
#include "output/Export.h"

namespace geotal::app {

// What the dialog asks for, as the settings keep it.
struct ExportChoices {
    // A number that names no format (only from a damaged setting) leaves both unchosen.
    ExportFormat format = ExportFormat::Csv;
    std::string fileName;
    // A number that names none leaves the list without a selection.
    CsvSeparator separator = CsvSeparator::Comma;
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

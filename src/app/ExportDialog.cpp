#include "app/ExportDialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/UiServices.h"
#include "res/ControlIds.h"

namespace geotal::app {

using namespace res::export_dialog;

namespace {

// In the order of ExportFormat's numbers.
constexpr int kFormats[] = {kCsv, kKml};

}  // namespace

ExportDialog::ExportDialog(QWidget* parent, const ExportChoices& choices)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(BuildDialog(res::ExportTemplate(), *this)),
      choices_(choices) {
    controls_.Check(kFormats, static_cast<int>(choices_.format));
    controls_.As<QLineEdit>(kOutputFile)->setText(QString::fromStdString(choices_.fileName));
    // An index the list does not have leaves it without a selection.
    controls_.As<QComboBox>(kSeparatorList)->setCurrentIndex(static_cast<int>(choices_.separator));
    // Without a format the separator keeps its state from the layout.
    if (choices_.format == ExportFormat::Csv || choices_.format == ExportFormat::Kml) {
        EnableSeparator(choices_.format == ExportFormat::Csv);
    }

    // CSV loses its check only to KML, by a click or an arrow key alike.
    connect(controls_.As<QRadioButton>(kCsv), &QRadioButton::toggled, this,
            &ExportDialog::FormatChosen);
    connect(controls_.As<QPushButton>(kBrowse), &QPushButton::clicked, this,
            &ExportDialog::BrowseForOutputFile);
    connect(controls_.As<QPushButton>(res::kIdOk), &QPushButton::clicked, this,
            &ExportDialog::accept);
    connect(controls_.As<QPushButton>(res::kIdCancel), &QPushButton::clicked, this,
            &QDialog::reject);
}

void ExportDialog::TakeControls() {
    choices_.format = static_cast<ExportFormat>(controls_.CheckedIndex(kFormats));
    choices_.fileName = controls_.As<QLineEdit>(kOutputFile)->text().toStdString();
    choices_.separator =
        static_cast<CsvSeparator>(controls_.As<QComboBox>(kSeparatorList)->currentIndex());
}

void ExportDialog::EnableSeparator(bool enabled) {
    // The separator stays selected while disabled, so switching back to CSV finds it again.
    controls_.Control(kSeparatorLabel)->setEnabled(enabled);
    controls_.Control(kSeparatorList)->setEnabled(enabled);
}

void ExportDialog::FormatChosen(bool csv) {
    EnableSeparator(csv);
    // A name that ends in the other format's extension would give a file its readers refuse.
    auto* field = controls_.As<QLineEdit>(kOutputFile);
    const QString name = field->text();
    const QString from = csv ? QStringLiteral(".kml") : QStringLiteral(".csv");
    if (name.endsWith(from, Qt::CaseInsensitive)) {
        field->setText(name.left(name.size() - from.size()) +
                       (csv ? QStringLiteral(".csv") : QStringLiteral(".kml")));
    }
}

void ExportDialog::BrowseForOutputFile() {
    TakeControls();
    QString filter;
    if (choices_.format == ExportFormat::Csv) {
        filter = QStringLiteral("CSV-file (*.csv)");
    } else if (choices_.format == ExportFormat::Kml) {
        filter = QStringLiteral("KML-file (*.kml)");
    }
    // A name typed in the picker without an ending gets the chosen format's.
    const QString chosen = Ui().BrowseForSaveFile(filter, choices_.format == ExportFormat::Kml
                                                              ? QStringLiteral("kml")
                                                              : QStringLiteral("csv"));
    if (!chosen.isEmpty()) {
        controls_.As<QLineEdit>(kOutputFile)->setText(chosen);
        choices_.fileName = chosen.toStdString();
    }
}

void ExportDialog::accept() {
    auto* field = controls_.As<QLineEdit>(kOutputFile);
    // An empty name can only fail to open, and the export would end without a word.
    if (field->text().trimmed().isEmpty()) {
        Ui().ShowMessage(QStringLiteral("Please enter the name of the output file."),
                         kMessageWarning, this);
        field->setFocus();
        return;
    }
    // A name typed without an ending gets the format's, so that the file opens in the
    // programs that read it.
    if (QFileInfo(field->text().trimmed()).suffix().isEmpty()) {
        field->setText(field->text().trimmed() + (controls_.As<QRadioButton>(kKml)->isChecked()
                                                      ? QStringLiteral(".kml")
                                                      : QStringLiteral(".csv")));
    }
    TakeControls();
    QDialog::accept();
}

bool RunExportDialog(QWidget* parent, ExportChoices& choices) {
    ExportDialog dialog(parent, choices);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    choices = dialog.Choices();
    return true;
}

}  // namespace geotal::app

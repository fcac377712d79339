#include "app/UiServices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace geotal {
namespace {

constexpr unsigned kKindMask = 0xF0;
constexpr unsigned kButtonMask = 0x0F;

QMessageBox::Icon IconFor(unsigned typeWord) {
    switch (typeWord & kKindMask) {
        case kMessageError:
            return QMessageBox::Critical;
        case kMessageQuestion:
            return QMessageBox::Question;
        case kMessageWarning:
            return QMessageBox::Warning;
        case kMessageInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

std::unique_ptr<UiServices>& Instance() {
    static std::unique_ptr<UiServices> instance = std::make_unique<UiServices>();
    return instance;
}

}  // namespace

QString MessageCaption(unsigned typeWord) {
    switch (typeWord & kKindMask) {
        case kMessageError:
            return QStringLiteral("Error");
        case kMessageQuestion:
            return QStringLiteral("Question");
        case kMessageInformation:
            return QStringLiteral("Information");
        default:
            return QStringLiteral("Warning");
    }
}

MessageAnswer UiServices::ShowMessage(const QString& text, unsigned typeWord, QWidget* owner) {
    if (owner == nullptr) {
        owner = QApplication::activeWindow();
    }
    const bool yesNo = (typeWord & kButtonMask) == kMessageYesNo;
    QMessageBox box(IconFor(typeWord), MessageCaption(typeWord), text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
    // The first button is the default, as on the platform the type word comes from.
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(yesNo ? QMessageBox::No : QMessageBox::Ok);
    if (box.exec() == QMessageBox::Yes) {
        return MessageAnswer::Yes;
    }
    return yesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

QString UiServices::BrowseForFolder(const QString& initial) {
    return QFileDialog::getExistingDirectory(nullptr, QString(), initial,
                                             QFileDialog::ShowDirsOnly);
}

QString UiServices::BrowseForSaveFile(const QString& filter, const QString& defaultSuffix) {
    QFileDialog picker;
    picker.setAcceptMode(QFileDialog::AcceptSave);
    picker.setOption(QFileDialog::DontConfirmOverwrite);
    if (!filter.isEmpty()) {
        picker.setNameFilter(filter);
    }
    picker.setDefaultSuffix(defaultSuffix);
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) {
        return QString();
    }
    return picker.selectedFiles().constFirst();
}

QString UiServices::GetDocumentsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return documents.isEmpty() ? QDir::homePath() : documents;
}

bool UiServices::ShowHelp(const QString& helpFilePath) {
    if (!QFileInfo(helpFilePath).isFile()) {
        return false;
    }
    return QDesktopServices::openUrl(
        QUrl::fromLocalFile(QFileInfo(helpFilePath).absoluteFilePath()));
}

bool UiServices::OpenWebAddress(const QString& address) {
    return QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
}

UiServices& Ui() {
    return *Instance();
}

std::unique_ptr<UiServices> SetUi(std::unique_ptr<UiServices> services) {
    std::unique_ptr<UiServices> previous = std::move(Instance());
    Instance() = services != nullptr ? std::move(services) : std::make_unique<UiServices>();
    return previous;
}

}  // namespace geotal

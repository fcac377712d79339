#include "app/UiServices.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "FakeUiServices.h"

namespace geotal {
namespace {

// Acts on the first modal dialog of type Dialog once its own event loop shows it. A dialog
// that never turns up is a failure, and whatever modal window stands instead is closed, so
// a broken test cannot hang the run.
template <class Dialog>
std::unique_ptr<QTimer> WhenShown(std::function<void(Dialog*)> action) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QTimer* raw = timer.get();
    auto ticks = std::make_shared<int>(0);
    QObject::connect(raw, &QTimer::timeout, [raw, action, ticks] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal)) {
            raw->stop();
            action(dialog);
        } else if (++*ticks > 500) {
            raw->stop();
            ADD_FAILURE() << "the expected dialog was not shown";
            if (modal != nullptr) {
                modal->close();
            }
        }
    });
    timer->start();
    return timer;
}

void PressEscape(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

QString TempFolder(const char* name) {
    const QString path = QDir::temp().absoluteFilePath(
        QStringLiteral("geotal-ui-%1-%2").arg(::getpid()).arg(QLatin1String(name)));
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

// Named by the build: a compiler cache that shares its results between work trees makes
// source paths relative, and __FILE__ with them.
QString HelpPagePath() {
    return QStringLiteral(GEOTAL_HELP_PAGE);
}

TEST(UiServices, takesTheCaptionFromTheKindOfMessage) {
    const struct {
        unsigned typeWord;
        const char* caption;
    } cases[] = {
        {0x00, "Warning"}, {0x10, "Error"},       {0x20, "Question"},    {0x30, "Warning"},
        {0x34, "Warning"}, {0x40, "Information"}, {0x44, "Information"}, {0x50, "Warning"},
        {0xF4, "Warning"}, {0x110, "Error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageCaption(c.typeWord), QLatin1String(c.caption))
            << "type word 0x" << std::hex << c.typeWord;
    }
}

TEST(UiServices, showsTheMessageBoxTheTypeWordAsksForAndAnswersTheButtonPressed) {
    const struct {
        unsigned typeWord;
        const char* caption;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton press;
        MessageAnswer answer;
    } cases[] = {
        {0x00, "Warning", QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {0x10, "Error", QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, MessageAnswer::Ok},
        {0x30, "Warning", QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok,
         MessageAnswer::Ok},
        {0x34, "Warning", QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::Yes, MessageAnswer::Yes},
        {0x34, "Warning", QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No,
         MessageAnswer::No},
        {0x24, "Question", QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No, MessageAnswer::No},
        {0x40, "Information", QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok,
         MessageAnswer::Ok},
    };
    QWidget owner;
    UiServices ui;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typeWord);
        QString title;
        QString text;
        QWidget* parent = nullptr;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        const auto answerer = WhenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            parent = box->parentWidget();
            icon = box->icon();
            buttons = box->standardButtons();
            box->button(c.press)->click();
        });
        EXPECT_EQ(ui.ShowMessage(QStringLiteral("3 image files were successfully updated."),
                                 c.typeWord, &owner),
                  c.answer);
        EXPECT_EQ(title, QLatin1String(c.caption));
        EXPECT_EQ(text, QStringLiteral("3 image files were successfully updated."));
        EXPECT_EQ(parent, &owner);
        EXPECT_EQ(icon, c.icon);
        EXPECT_EQ(buttons, c.buttons);
    }
}

TEST(UiServices, escapeAnswersNoOnAYesNoBoxAndOkOnAnOkBox) {
    UiServices ui;
    auto escape = WhenShown<QMessageBox>([](QMessageBox* box) { PressEscape(box); });
    EXPECT_EQ(ui.ShowMessage(QStringLiteral("Are you sure?"), 0x34), MessageAnswer::No);
    escape = WhenShown<QMessageBox>([](QMessageBox* box) { PressEscape(box); });
    EXPECT_EQ(ui.ShowMessage(QStringLiteral("Notice"), 0x30), MessageAnswer::Ok);
}

TEST(UiServices, opensTheFolderPickerAtTheGivenFolderAndReturnsTheChoice) {
    const QString folder = TempFolder("pick");
    UiServices ui;
    QString shownFolder;
    auto accept = WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        shownFolder = dialog->directory().absolutePath();
        static_cast<QDialog*>(dialog)->accept();  // public as a QDialog slot
    });
    EXPECT_EQ(QDir(ui.BrowseForFolder(folder)).absolutePath(), folder);
    EXPECT_EQ(shownFolder, folder);
    QDir(folder).removeRecursively();
}

TEST(UiServices, aCancelledFolderPickerReturnsTheEmptyString) {
    UiServices ui;
    const auto cancel = WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(ui.BrowseForFolder(QString()), QString());
}

// A text browser stands in for the desktop's viewer: its setSource slot takes the URL.
class HelpViewer : public ::testing::Test {
protected:
    void SetUp() override {
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer_, "setSource");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QTextBrowser viewer_;
};

TEST_F(HelpViewer, opensTheHelpPage) {
    UiServices().ShowHelp(HelpPagePath());
    EXPECT_EQ(viewer_.source(), QUrl::fromLocalFile(QFileInfo(HelpPagePath()).absoluteFilePath()));
    EXPECT_EQ(viewer_.documentTitle(), QStringLiteral("Geotal Help"));
}

TEST_F(HelpViewer, doesNothingWhenTheHelpFileIsMissing) {
    UiServices ui;
    ui.ShowHelp(QDir::temp().absoluteFilePath(QStringLiteral("no-such-folder/Geotal.html")));
    ui.ShowHelp(QString());
    ui.ShowHelp(QDir::tempPath());  // a folder is not a help page
    EXPECT_TRUE(viewer_.source().isEmpty());
}

TEST(HelpPage, everyLinkInsideThePageHasItsTarget) {
    QFile file(HelpPagePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << HelpPagePath().toStdString();
    const QString html = QString::fromUtf8(file.readAll());
    QSet<QString> ids;
    for (const auto& match :
         QRegularExpression(QStringLiteral("id=\"([^\"]+)\"")).globalMatch(html)) {
        ids.insert(match.captured(1));
    }
    int links = 0;
    for (const auto& match :
         QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html)) {
        EXPECT_TRUE(ids.contains(match.captured(1))) << match.captured(1).toStdString();
        ++links;
    }
    EXPECT_GE(links, 10);  // the contents list at the top
}

}  // namespace
}  // namespace geotal

// FakeUiServices: scripted answers for message boxes and the folder and file pickers, so GUI
// tests need no human.
#pragma once

#include <QString>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "app/UiServices.h"

namespace geotal {

class FakeUiServices : public UiServices {
public:
    struct Message {
        QString text;
        unsigned typeWord;
    };

    // Everything asked of the fake, in order.
    std::vector<Message> messages;
    std::vector<QString> browseStarts;  // the initial folder of each BrowseForFolder
    struct SaveFileRequest {
        QString filter;
        QString defaultSuffix;
    };
    std::vector<SaveFileRequest> saveFileRequests;
    std::vector<QString> helpRequests;
    std::vector<QString> webAddresses;

    // Scripted answers, used front first. Without one a Yes/No box answers No (the
    // cautious choice, as Escape would) and an OK box Ok; a picker is cancelled ("").
    std::deque<MessageAnswer> answers;
    std::deque<QString> folders;
    std::deque<QString> saveFiles;
    QString documentsFolder = QStringLiteral("/tmp");

    MessageAnswer ShowMessage(const QString& text, unsigned typeWord, QWidget* = nullptr) override {
        messages.push_back({text, typeWord});
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (typeWord & 0x0F) == kMessageYesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }

    QString BrowseForFolder(const QString& initial) override {
        browseStarts.push_back(initial);
        if (folders.empty()) {
            return QString();
        }
        QString folder = folders.front();
        folders.pop_front();
        return folder;
    }

    QString BrowseForSaveFile(const QString& filter, const QString& defaultSuffix) override {
        saveFileRequests.push_back({filter, defaultSuffix});
        if (saveFiles.empty()) {
            return QString();
        }
        QString file = saveFiles.front();
        saveFiles.pop_front();
        return file;
    }

    QString GetDocumentsFolder() override { return documentsFolder; }

    // Whether the help viewer and the browser start.
    bool opens = true;
    bool ShowHelp(const QString& helpFilePath) override {
        helpRequests.push_back(helpFilePath);
        return opens;
    }

    bool OpenWebAddress(const QString& address) override {
        webAddresses.push_back(address);
        return opens;
    }
};

// Installs a FakeUiServices for the life of a test and puts the previous services back.
class ScopedFakeUi {
public:
    ScopedFakeUi() {
        auto fake = std::make_unique<FakeUiServices>();
        fake_ = fake.get();
        previous_ = SetUi(std::move(fake));
    }
    ~ScopedFakeUi() { SetUi(std::move(previous_)); }
    ScopedFakeUi(const ScopedFakeUi&) = delete;
    ScopedFakeUi& operator=(const ScopedFakeUi&) = delete;

    FakeUiServices& operator*() const { return *fake_; }
    FakeUiServices* operator->() const { return fake_; }

private:
    FakeUiServices* fake_;
    std::unique_ptr<UiServices> previous_;
};

}  // namespace geotal

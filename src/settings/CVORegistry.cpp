#include "settings/CVORegistry.h"

#include <QDebug>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <limits>

namespace geotal {
namespace {

// Debugger-only diagnostics: production builds say nothing, and none of this reaches the
// trace file.
void Diagnostic([[maybe_unused]] const QString& text) {
#ifndef NDEBUG
    qDebug().noquote() << text;
#endif
}

// "SOFTWARE\Tarsel\Geotal" -> organisation "Tarsel", application "Geotal", no group.
struct KeyLocation {
    QString organisation;
    QString application;
    QString group;
};

KeyLocation LocateKey(const char* subKeyPath) {
    QStringList parts = QString::fromUtf8(subKeyPath).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() &&
        parts.front().compare(QLatin1String("SOFTWARE"), Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    KeyLocation location;
    if (!parts.isEmpty()) {
        location.organisation = parts.takeFirst();
    }
    if (!parts.isEmpty()) {
        location.application = parts.takeFirst();
    }
    location.group = parts.join(QLatin1Char('/'));
    return location;
}

// The store keeps no type beside a value, so a number may come back as text.
bool ToDword(const QVariant& value, std::int32_t& result) {
    bool ok = false;
    const qlonglong number = value.toString().trimmed().toLongLong(&ok, 10);
    if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
        number > static_cast<qlonglong>(std::numeric_limits<std::uint32_t>::max())) {
        return false;
    }
    // Four bytes either way: 4294967295 and -1 are the same stored number.
    result = static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
    return true;
}

}  // namespace

CVORegistry::CVORegistry(RegistryRoot root, const char* subKeyPath, std::uint32_t accessMask)
    : root_(root), accessMask_(accessMask) {
    if (subKeyPath == nullptr) {
        return;
    }
    const KeyLocation location = LocateKey(subKeyPath);
    if (location.organisation.isEmpty()) {
        return;
    }
    const QSettings::Scope scope =
        root == RegistryRoot::LocalMachine ? QSettings::SystemScope : QSettings::UserScope;
    settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, scope, location.organisation,
                                            location.application);
    // A key sees only its own values: the user's key must not show machine-wide ones.
    settings_->setFallbacksEnabled(false);
    if (!location.group.isEmpty()) {
        settings_->beginGroup(location.group);
    }
}

CVORegistry::~CVORegistry() {
    if (settings_ != nullptr) {
        settings_->sync();
    }
}

bool CVORegistry::CanRead() const {
    return settings_ != nullptr && (accessMask_ & KEY_QUERY_VALUE) != 0;
}

bool CVORegistry::CanWrite() const {
    return settings_ != nullptr && root_ == RegistryRoot::CurrentUser &&
           (accessMask_ & KEY_SET_VALUE) != 0 && settings_->isWritable();
}

// Each write goes to disk at once, so its result tells the truth.
bool CVORegistry::Sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

std::string CVORegistry::ReadString(const char* name, const char* defaultValue) const {
    if (name == nullptr) {
        Diagnostic(QStringLiteral("CVORegistry::ReadString() Invalid Key specified"));
        return {};
    }
    const std::string fallback = defaultValue != nullptr ? defaultValue : "";
    if (*name == '\0' || !CanRead()) {
        return fallback;
    }
    const QVariant value = settings_->value(QString::fromUtf8(name));
    if (!value.isValid()) {
        return fallback;
    }
    QString text;
    if (value.typeId() == QMetaType::QStringList) {
        // An unquoted comma in a hand-edited file splits the text; join it the way the store
        // itself writes such a list.
        text = value.toStringList().join(QLatin1String(", "));
    } else if (value.canConvert<QString>()) {
        text = value.toString();
    } else {
        // The parentheses once held a label for the object; nothing ever set one.
        Diagnostic(QStringLiteral("CVORegistry()::ReadString() Unable to read variable %1")
                       .arg(QString::fromUtf8(name)));
        return fallback;
    }
    std::string result = text.toStdString();
    // Stored text ends at its first zero byte.
    result.resize(std::min(result.size(), result.find('\0')));
    return result;
}

bool CVORegistry::WriteString(const char* name, const char* text) {
    if (name == nullptr || *name == '\0') {
        Diagnostic(QStringLiteral("CVORegistry::WriteString() Invalid Key specified"));
        return false;
    }
    if (text == nullptr) {
        Diagnostic(QStringLiteral("CVORegistry::WriteString() Invalid Value specified"));
        return false;
    }
    if (!CanWrite()) {
        return false;
    }
    settings_->setValue(QString::fromUtf8(name), QString::fromUtf8(text));
    return Sync();
}

std::int32_t CVORegistry::ReadDWORD(const char* name, std::int32_t defaultValue) const {
    if (name == nullptr || *name == '\0' || !CanRead()) {
        return defaultValue;
    }
    std::int32_t result = 0;
    return ToDword(settings_->value(QString::fromUtf8(name)), result) ? result : defaultValue;
}

bool CVORegistry::WriteDWORD(const char* name, std::int32_t value) {
    if (name == nullptr || *name == '\0') {
        Diagnostic(QStringLiteral("CVORegistry::WriteDWORD() Invalid Key specified"));
        return false;
    }
    if (!CanWrite()) {
        return false;
    }
    settings_->setValue(QString::fromUtf8(name), value);
    return Sync();
}

}  // namespace geotal

// CVORegistry: one open key of the settings store (QSettings), read and written by value name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class QSettings;

namespace geotal {

// The two roots of the store: the user's own settings and the machine-wide ones. The machine
// root is only ever read by the program; writes to it are refused.
enum class RegistryRoot { CurrentUser, LocalMachine };

// Access masks as the platform defines them. Reading needs the query bit, writing the set bit.
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;

class CVORegistry {
public:
    // subKeyPath is backslash separated, e.g. "SOFTWARE\Tarsel\Geotal": a leading "SOFTWARE"
    // is dropped, the next two parts name the organisation and the application, and any
    // further parts become nested groups. A null path gives a key that cannot be used.
    CVORegistry(RegistryRoot root, const char* subKeyPath, std::uint32_t accessMask);
    virtual ~CVORegistry();  // makes every write durable

    CVORegistry(const CVORegistry&) = delete;
    CVORegistry& operator=(const CVORegistry&) = delete;

    // Never fails: the stored text, else defaultValue (empty when that is null). A null name
    // gives the empty string, not the default. A stored number reads as its decimal text.
    std::string ReadString(const char* name, const char* defaultValue) const;
    // True when the text was stored. False for a null name or text, a read-only key, or the
    // machine root.
    bool WriteString(const char* name, const char* text);

    // Never fails: the stored number, else defaultValue. Stored text that is not a whole
    // number fitting in four bytes (-2147483648 to 4294967295) gives the default.
    std::int32_t ReadDWORD(const char* name, std::int32_t defaultValue) const;
    bool WriteDWORD(const char* name, std::int32_t value);

    // Whether a key could be opened at all (false for a null or empty path).
    bool IsOpen() const { return settings_ != nullptr; }

private:
    bool CanRead() const;
    bool CanWrite() const;
    bool Sync();

    RegistryRoot root_;
    std::uint32_t accessMask_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace geotal

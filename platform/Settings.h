#pragma once
// The settings store: keys of "\"-separated names holding named, typed values, in
// two hives, the user's and the machine's. Each hive is a text file (user.reg and
// machine.reg in settingsFolder()); every change is written at once, atomically,
// and a file changed by another process is read again before the next access.
// Key and value names compare without regard to case and keep the case they were
// first written with. All functions are safe to call from any thread.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlim {

enum class SettingsHive { User, Machine };

enum class SettingType { String, Integer };

struct SettingValue {
    // "" is the key's unnamed default value.
    std::string name;
    SettingType type = SettingType::String;
    std::string text;
    std::uint32_t number = 0;
};

// The user hive's read-only key whose values "Desktop" and "Programs" are the
// desktop folder and the folder of program menu entries.
inline constexpr std::string_view kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A key of one hive. Handles stay valid; a key removed by another process comes
// back when a value is set through its handle.
class SettingsKey {
public:
    // The key when it exists.
    static std::optional<SettingsKey> open(SettingsHive hive, std::string_view path);
    // The key, created first with any missing parent when it does not exist;
    // nullopt when it had to be created and the store cannot be written.
    static std::optional<SettingsKey> create(SettingsHive hive, std::string_view path);

    SettingsHive hive() const { return hive_; }
    // The path as stored, in the case its names were first written with.
    const std::string& path() const { return path_; }

    // The value when it exists and has that type.
    std::optional<std::string> queryString(std::string_view name) const;
    std::optional<std::uint32_t> queryInt(std::string_view name) const;
    // Creates or replaces the value (its type too); false when the store cannot be
    // written, in which case nothing changed.
    bool setString(std::string_view name, std::string_view text) const;
    bool setInt(std::string_view name, std::uint32_t number) const;
    // The value at `index` in the order the values were created; nullopt past the
    // last one.
    std::optional<SettingValue> value(std::size_t index) const;
    // False when there is no such value or the store cannot be written.
    bool deleteValue(std::string_view name) const;

private:
    SettingsKey(SettingsHive hive, std::string path) : hive_(hive), path_(std::move(path)) {}

    SettingsHive hive_;
    std::string path_;
};

// The settings of one application under the user hive's key
// "Software\Orlim Durad\<application>": sections are its sub-keys, entries their
// values. A missing section or entry, or one of the other type, gives the fallback.
class SettingsProfile {
public:
    explicit SettingsProfile(std::string_view application);

    const std::string& rootPath() const { return root_; }

    std::string getString(std::string_view section, std::string_view entry,
                          std::string_view fallback = {}) const;
    std::int32_t getInt(std::string_view section, std::string_view entry,
                        std::int32_t fallback) const;
    // Creates the section when needed; false when the store cannot be written.
    bool writeString(std::string_view section, std::string_view entry,
                     std::string_view text) const;
    bool writeInt(std::string_view section, std::string_view entry, std::int32_t number) const;
    // The entries' names in the order they were created.
    std::vector<std::string> entryNames(std::string_view section) const;
    bool deleteEntry(std::string_view section, std::string_view entry) const;

private:
    std::string sectionPath(std::string_view section) const;

    std::string root_;
};

// The file a hive is kept in: settingsFolder() + "/user.reg" or "/machine.reg".
std::string settingsFilePath(SettingsHive hive);

} // namespace orlim

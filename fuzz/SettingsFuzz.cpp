// Reads arbitrary bytes as a user settings file, then writes a value and reads the
// file back: whatever was readable must survive the rewrite unchanged.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/Settings.h"

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

struct Folder {
    Folder()
    {
        // Memory-backed when possible: every write syncs its file.
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(base) + "/orlim-fuzz-settings-XXXXXX";
        check(mkdtemp(path.data()) != nullptr);
        empty = path + "/empty";
    }
    std::string path;
    std::string empty;
};

bool same(const std::vector<orlim::SettingValue>& a, const std::vector<orlim::SettingValue>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].text != b[i].text ||
            a[i].number != b[i].number)
            return false;
    return true;
}

std::vector<orlim::SettingValue> valuesOf(std::string_view path)
{
    std::vector<orlim::SettingValue> values;
    if (const auto key = orlim::SettingsKey::open(orlim::SettingsHive::User, path))
        for (std::size_t i = 0; const auto value = key->value(i); ++i)
            values.push_back(*value);
    return values;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const Folder folder;
    const std::string file = folder.path + "/user.reg";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // A folder switch makes the store read the file as new.
    setenv("ORLIM_CONFIG_DIR", folder.empty.c_str(), 1);
    check(!orlim::SettingsKey::open(orlim::SettingsHive::User, "a"));
    setenv("ORLIM_CONFIG_DIR", folder.path.c_str(), 1);

    const std::vector<orlim::SettingValue> root = valuesOf("");
    const std::vector<orlim::SettingValue> inner = valuesOf("a\\b");
    const auto key = orlim::SettingsKey::create(orlim::SettingsHive::User, "a\\b");
    check(key && key->setString("\n\"\\", "\t\\x00"));

    setenv("ORLIM_CONFIG_DIR", folder.empty.c_str(), 1);
    check(!orlim::SettingsKey::open(orlim::SettingsHive::User, "a"));
    setenv("ORLIM_CONFIG_DIR", folder.path.c_str(), 1);
    check(same(valuesOf(""), root));
    std::vector<orlim::SettingValue> after = valuesOf("a\\b");
    check(key->queryString("\n\"\\") == std::string("\t\\x00"));
    // The written value keeps the place of one that was there before.
    std::erase_if(after, [](const orlim::SettingValue& v) { return v.name == "\n\"\\"; });
    std::vector<orlim::SettingValue> before = inner;
    std::erase_if(before, [](const orlim::SettingValue& v) { return v.name == "\n\"\\"; });
    check(same(after, before));
    return 0;
}

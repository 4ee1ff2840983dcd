#include "platform/Settings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/FileIO.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

class Settings : public ::testing::Test {
protected:
    void TearDown() override { FileWriter::failAfterBytes(std::nullopt); }

    // Makes the store read its files again, as a new process would.
    void rereadFromDisk()
    {
        TempDir elsewhere;
        {
            ScopedEnvironment other("ORLIM_CONFIG_DIR", elsewhere.path());
            EXPECT_FALSE(SettingsKey::open(SettingsHive::User, "Software"));
        }
    }

    std::vector<std::string> namesInConfig() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(config))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    const std::string config = dir.file("config");
    ScopedEnvironment useConfig{"ORLIM_CONFIG_DIR", config};
    SettingsProfile orlim{"Orlim"};
};

TEST_F(Settings, ProfileGivesFallbacksUntilWrittenThenTheStoredValues)
{
    EXPECT_EQ(orlim.getString("midiset", "FileName", "none"), "none");
    EXPECT_EQ(orlim.getInt("Player", "Channels", 32767), 32767);
    ASSERT_TRUE(orlim.writeString("midiset", "FileName", "midiset.pre"));
    ASSERT_TRUE(orlim.writeInt("Player", "Channels", 2));
    ASSERT_TRUE(orlim.writeInt("Player", "Offset", -5));
    EXPECT_EQ(orlim.getString("midiset", "FileName", "none"), "midiset.pre");
    EXPECT_EQ(orlim.getInt("Player", "Channels", 32767), 2);
    EXPECT_EQ(orlim.getInt("Player", "Offset", 0), -5);
    EXPECT_EQ(orlim.rootPath(), "Software\\Orlim Durad\\Orlim");

    const auto player = SettingsKey::open(SettingsHive::User, "Software\\Orlim Durad\\Orlim\\Player");
    ASSERT_TRUE(player);
    EXPECT_EQ(player->queryInt("Offset"), 0xFFFFFFFBu);
}

TEST_F(Settings, NamesMatchWithoutRegardToCaseAndKeepTheirFirstCase)
{
    ASSERT_TRUE(orlim.writeInt("Player", "Channels", 2));
    ASSERT_TRUE(orlim.writeInt("PLAYER", "CHANNELS", 1));
    EXPECT_EQ(orlim.getInt("player", "channels", 0), 1);
    EXPECT_EQ(orlim.entryNames("Player"), std::vector<std::string>{"Channels"});

    const auto key =
        SettingsKey::open(SettingsHive::User, "SOFTWARE\\orlim durad\\ORLIM\\player");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->path(), "Software\\Orlim Durad\\Orlim\\Player");

    const auto appPaths = SettingsKey::create(
        SettingsHive::Machine, "Software\\microsoft\\Windows\\CurrentVersion\\App Paths\\Orlim.exe");
    ASSERT_TRUE(appPaths);
    ASSERT_TRUE(appPaths->setString("Path", "/opt/Orlim Durad"));
    const auto sameKey = SettingsKey::open(
        SettingsHive::Machine, "Software\\Microsoft\\windows\\CurrentVersion\\App Paths\\orlim.exe");
    ASSERT_TRUE(sameKey);
    EXPECT_EQ(sameKey->path(), "Software\\microsoft\\Windows\\CurrentVersion\\App Paths\\Orlim.exe");
    EXPECT_EQ(sameKey->queryString("PATH"), "/opt/Orlim Durad");
}

TEST_F(Settings, StringsAndIntegersAreKeptApart)
{
    ASSERT_TRUE(orlim.writeString("Player", "PlayRate", "22050"));
    EXPECT_EQ(orlim.getInt("Player", "PlayRate", 11025), 11025);
    EXPECT_EQ(orlim.getString("Player", "PlayRate", "x"), "22050");

    ASSERT_TRUE(orlim.writeInt("Player", "PlayRate", 44100));
    EXPECT_EQ(orlim.getString("Player", "PlayRate", "x"), "x");
    EXPECT_EQ(orlim.getInt("Player", "PlayRate", 11025), 44100);

    const auto key = SettingsKey::open(SettingsHive::User, orlim.rootPath() + "\\Player");
    ASSERT_TRUE(key);
    const auto value = key->value(0);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, SettingType::Integer);
    EXPECT_EQ(value->number, 44100u);
    EXPECT_FALSE(key->queryString("PlayRate"));
}

TEST_F(Settings, ValuesEnumerateInCreationOrder)
{
    for (const char* name : {"kestrow.dll", "tivenor.dll", "extra.dll"})
        ASSERT_TRUE(orlim.writeString("Source", name, ""));
    EXPECT_EQ(orlim.entryNames("Source"),
              (std::vector<std::string>{"kestrow.dll", "tivenor.dll", "extra.dll"}));

    // A rewrite keeps the place, a deletion removes, adding again appends.
    ASSERT_TRUE(orlim.writeString("SOURCE", "KESTROW.DLL", "again"));
    ASSERT_TRUE(orlim.deleteEntry("source", "Tivenor.dll"));
    EXPECT_FALSE(orlim.deleteEntry("Source", "tivenor.dll"));
    ASSERT_TRUE(orlim.writeString("Source", "tivenor.dll", ""));
    EXPECT_EQ(orlim.entryNames("Source"),
              (std::vector<std::string>{"kestrow.dll", "extra.dll", "tivenor.dll"}));

    rereadFromDisk();
    const auto key = SettingsKey::open(SettingsHive::User, orlim.rootPath() + "\\Source");
    ASSERT_TRUE(key);
    std::vector<std::string> names;
    for (std::size_t i = 0; const auto value = key->value(i); ++i)
        names.push_back(value->name);
    EXPECT_EQ(names, (std::vector<std::string>{"kestrow.dll", "extra.dll", "tivenor.dll"}));
    EXPECT_EQ(key->queryString("kestrow.dll"), "again");
    EXPECT_FALSE(key->value(3));
}

TEST_F(Settings, AKeyHasAnUnnamedDefaultValue)
{
    const auto key = SettingsKey::create(SettingsHive::Machine, "Software\\Test");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->setString("", "/opt/orlim/orlim"));
    ASSERT_TRUE(key->setString("Path", "/opt/orlim"));
    rereadFromDisk();
    EXPECT_EQ(key->queryString(""), "/opt/orlim/orlim");
    EXPECT_EQ(key->queryString("Path"), "/opt/orlim");
    const auto first = key->value(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->name, "");
}

TEST_F(Settings, KeysAreCreatedWithTheirParentsAndOpenOnlyWhenPresent)
{
    EXPECT_FALSE(SettingsKey::open(SettingsHive::User, "Software\\A\\B"));
    const auto created = SettingsKey::create(SettingsHive::User, "\\Software\\\\A\\B\\");
    ASSERT_TRUE(created);
    EXPECT_EQ(created->path(), "Software\\A\\B");
    EXPECT_TRUE(SettingsKey::open(SettingsHive::User, "Software"));
    EXPECT_TRUE(SettingsKey::open(SettingsHive::User, "software\\a"));
    EXPECT_FALSE(SettingsKey::open(SettingsHive::Machine, "Software\\A"));
    // An empty key is stored too.
    rereadFromDisk();
    EXPECT_TRUE(SettingsKey::open(SettingsHive::User, "Software\\A\\B"));
}

TEST_F(Settings, EveryWriteReachesItsHiveFileAtOnce)
{
    ASSERT_TRUE(orlim.writeString("Player", "TempPath", "/tmp/"));
    const auto machine = SettingsKey::create(SettingsHive::Machine, "Software\\Orlim Durad\\Orlim\\Version");
    ASSERT_TRUE(machine);
    ASSERT_TRUE(machine->setString("Version", "1.0"));
    EXPECT_EQ(namesInConfig(), (std::vector<std::string>{"machine.reg", "user.reg"}));
    EXPECT_EQ(settingsFilePath(SettingsHive::User), config + "/user.reg");
    EXPECT_EQ(settingsFilePath(SettingsHive::Machine), config + "/machine.reg");

    rereadFromDisk();
    EXPECT_EQ(orlim.getString("Player", "TempPath"), "/tmp/");
    EXPECT_FALSE(SettingsKey::open(SettingsHive::User, "Software\\Orlim Durad\\Orlim\\Version"));
    const auto version = SettingsKey::open(SettingsHive::Machine, "Software\\Orlim Durad\\Orlim\\Version");
    ASSERT_TRUE(version);
    EXPECT_EQ(version->queryString("Version"), "1.0");
}

TEST_F(Settings, AnyTextAndNameSurviveTheFile)
{
    struct Case {
        const char* name;
        std::string entry;
        std::string text;
    };
    const Case cases[] = {
        {"newlines", "Lines", "one\ntwo\r\nthree\n"},
        {"backslashes and quotes", "C:\\Path \"quoted\"", "\\\\server\\share\\\"x\"\\"},
        {"tabs and control bytes", "tab\tname", std::string("a\tb\x01\x1f\x7f", 7)},
        {"a NUL inside", std::string("nul\0name", 8), std::string("before\0after", 12)},
        {"non-ASCII", "caf\xc3\xa9", "\xe2\x99\xaa \xff\x80"},
        {"escapes written out", "\\x41", "\\n\\t\\x00"},
        {"empty text", "Empty", ""},
        {"a 260-character name", std::string(260, 'n'), std::string(1000, 'v')},
    };
    for (const Case& c : cases)
        ASSERT_TRUE(orlim.writeString("Texts", c.entry, c.text)) << c.name;
    rereadFromDisk();
    std::vector<std::string> expectedNames;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(orlim.getString("Texts", c.entry, "fallback"), c.text);
        expectedNames.push_back(c.entry);
    }
    EXPECT_EQ(orlim.entryNames("Texts"), expectedNames);

    // One line per key and value: nothing in a text can break a line.
    const std::string file = testing::readFile(config + "/user.reg");
    const auto lines = std::count(file.begin(), file.end(), '\n');
    EXPECT_EQ(lines, 1 + 5 + static_cast<long>(std::size(cases)));
}

TEST_F(Settings, AFileChangedByAnotherProgramIsReadAgain)
{
    ASSERT_TRUE(orlim.writeInt("Player", "PlayRate", 22050));
    EXPECT_EQ(orlim.getInt("Player", "PlayRate", 0), 22050);
    testing::writeFile(config + "/user.reg",
                       "key \"Software\" \"Orlim Durad\" \"Orlim\" \"Player\"\n"
                       "int \"PlayRate\" 44100\n"
                       "string \"TempPath\" \"/var/tmp\"\n");
    EXPECT_EQ(orlim.getInt("Player", "PlayRate", 0), 44100);
    EXPECT_EQ(orlim.getString("Player", "TempPath"), "/var/tmp");

    std::filesystem::remove(config + "/user.reg");
    EXPECT_EQ(orlim.getInt("Player", "PlayRate", 0), 0);
}

TEST_F(Settings, DamagedLinesAreSkippedAndTheRestIsRead)
{
    std::filesystem::create_directories(config);
    testing::writeFile(config + "/user.reg",
                       "# a comment\n"
                       "key \"Software\" \"Good\"\n"
                       "string \"First\" \"1\"\n"
                       "string \"BadEscape\" \"a\\qb\"\n"
                       "string \"Open\" \"no end\n"
                       "int \"TooBig\" 4294967296\n"
                       "int \"NotANumber\" 12x\n"
                       "int \"Quoted\" \"12\"\n"
                       "string \"Extra\" \"a\" \"b\"\n"
                       "string Unquoted \"a\"\n"
                       "int \"Largest\" 4294967295\r\n"
                       "\n"
                       "string \"Last\" \"2\"\n"
                       "key \"Software\" \"Bad\\x\"\n"
                       "string \"Lost\" \"x\"\n"
                       "garbage line\n"
                       "string \"AlsoLost\" \"x\"\n"
                       "key \"Software\" \"\"\n"
                       "string \"LostToo\" \"x\"\n"
                       "key \"Software\" \"Other\"\n"
                       "int \"Kept\" 7");
    const auto good = SettingsKey::open(SettingsHive::User, "Software\\Good");
    ASSERT_TRUE(good);
    std::vector<std::string> names;
    for (std::size_t i = 0; const auto value = good->value(i); ++i)
        names.push_back(value->name);
    EXPECT_EQ(names, (std::vector<std::string>{"First", "Largest", "Last"}));
    EXPECT_EQ(good->queryInt("Largest"), 0xFFFFFFFFu);
    const auto other = SettingsKey::open(SettingsHive::User, "Software\\Other");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->queryInt("Kept"), 7u);
    const auto software = SettingsKey::open(SettingsHive::User, "Software");
    ASSERT_TRUE(software);
    EXPECT_FALSE(software->value(0));
}

TEST_F(Settings, AFailedWriteChangesNothing)
{
    ASSERT_TRUE(orlim.writeString("Player", "TempPath", "/tmp/"));
    const std::string before = testing::readFile(config + "/user.reg");
    FileWriter::failAfterBytes(0);
    EXPECT_FALSE(orlim.writeString("Player", "TempPath", "/elsewhere/"));
    EXPECT_FALSE(orlim.writeInt("Player", "Channels", 2));
    EXPECT_FALSE(orlim.deleteEntry("Player", "TempPath"));
    // A key that would have to be created counts as absent.
    EXPECT_FALSE(SettingsKey::create(SettingsHive::Machine, "Software\\New"));
    // One that exists opens without writing.
    EXPECT_TRUE(SettingsKey::create(SettingsHive::User, "Software\\Orlim Durad"));
    FileWriter::failAfterBytes(std::nullopt);

    EXPECT_EQ(orlim.getString("Player", "TempPath"), "/tmp/");
    EXPECT_EQ(orlim.getInt("Player", "Channels", 32767), 32767);
    EXPECT_FALSE(SettingsKey::open(SettingsHive::Machine, "Software\\New"));
    EXPECT_EQ(testing::readFile(config + "/user.reg"), before);
    EXPECT_EQ(namesInConfig(), std::vector<std::string>{"user.reg"});
}

TEST_F(Settings, AStoreThatCannotBeCreatedGivesFallbacks)
{
    testing::writeFile(dir.file("plain-file"), "not a folder");
    ScopedEnvironment blocked("ORLIM_CONFIG_DIR", dir.file("plain-file") + "/config");
    EXPECT_FALSE(orlim.writeString("Player", "TempPath", "/tmp/"));
    EXPECT_FALSE(SettingsKey::create(SettingsHive::Machine, "Software\\App"));
    EXPECT_EQ(orlim.getString("Player", "TempPath", "fallback"), "fallback");
}

TEST_F(Settings, TheSettingsFolderFollowsTheEnvironment)
{
    ASSERT_TRUE(orlim.writeInt("Player", "Channels", 1));
    TempDir second;
    {
        ScopedEnvironment other("ORLIM_CONFIG_DIR", second.path());
        EXPECT_EQ(orlim.getInt("Player", "Channels", 32767), 32767);
        ASSERT_TRUE(orlim.writeInt("Player", "Channels", 2));
        EXPECT_TRUE(testing::fileExists(second.file("user.reg")));
    }
    EXPECT_EQ(orlim.getInt("Player", "Channels", 32767), 1);
}

TEST_F(Settings, ShellFoldersAreComputedAndReadOnly)
{
    ScopedEnvironment desktop("XDG_DESKTOP_DIR", dir.file("My Desktop"));
    ScopedEnvironment data("XDG_DATA_HOME", dir.file("data"));
    const auto key = SettingsKey::open(
        SettingsHive::User, "Software\\microsoft\\windows\\CurrentVersion\\Explorer\\Shell Folders");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->path(), kShellFoldersKey);
    EXPECT_EQ(key->queryString("Desktop"), dir.file("My Desktop"));
    EXPECT_EQ(key->queryString("PROGRAMS"), dir.file("data") + "/applications");
    EXPECT_FALSE(key->queryString("Fonts"));
    EXPECT_FALSE(key->setString("Desktop", "/elsewhere"));
    EXPECT_FALSE(key->deleteValue("Desktop"));
    EXPECT_EQ(key->queryString("Desktop"), dir.file("My Desktop"));
    ASSERT_TRUE(key->value(1));
    EXPECT_EQ(key->value(0)->name, "Desktop");
    EXPECT_EQ(key->value(1)->name, "Programs");
    EXPECT_FALSE(key->value(2));
    EXPECT_TRUE(SettingsKey::create(SettingsHive::User, kShellFoldersKey));
    EXPECT_FALSE(SettingsKey::open(SettingsHive::Machine, kShellFoldersKey));
    EXPECT_FALSE(testing::fileExists(config + "/user.reg"));
}

TEST_F(Settings, WritesFromManyThreadsAllArrive)
{
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < 20; ++i)
                EXPECT_TRUE(orlim.writeInt("Threads", "t" + std::to_string(t) + "-" + std::to_string(i), i));
        });
    for (std::thread& thread : threads)
        thread.join();
    rereadFromDisk();
    EXPECT_EQ(orlim.entryNames("Threads").size(), 80u);
    EXPECT_EQ(orlim.getInt("Threads", "t3-19", 0), 19);
}

} // namespace
} // namespace orlim

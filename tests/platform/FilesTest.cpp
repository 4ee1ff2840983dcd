#include "platform/Files.h"

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Settings.h"
#include "platform/Threads.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

bool isFolder(const std::string& path)
{
    return std::filesystem::is_directory(path);
}

TEST(Files, TheProgramsFolderHoldsThisTest)
{
    const std::string folder = programFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_TRUE(testing::fileExists(folder + "/platform-tests"));
}

TEST(Files, TheTemporaryFolderComesFromTmpdirWhenItIsAbsolute)
{
    struct Case {
        const char* tmpdir;
        const char* folder;
    };
    const Case cases[] = {
        {"/var/tmp", "/var/tmp"},
        {"/var/tmp/", "/var/tmp"},
        {"relative/tmp", "/tmp"},
        {"", "/tmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tmpdir);
        ScopedEnvironment tmpdir("TMPDIR", c.tmpdir);
        EXPECT_EQ(temporaryFolder(), c.folder);
    }
}

TEST(Files, ATemporaryFileIsUniqueAndGoesWithItsOwner)
{
    TempDir dir;
    std::string firstPath;
    {
        auto first = TemporaryFile::create(dir.path(), "buf");
        auto second = TemporaryFile::create(dir.path(), "buf");
        ASSERT_TRUE(first && second);
        firstPath = first->path();
        EXPECT_NE(first->path(), second->path());
        EXPECT_EQ(firstPath.rfind(dir.path() + "/buf", 0), 0u);
        EXPECT_EQ(firstPath.size(), dir.path().size() + 1 + 3 + 6);

        ASSERT_EQ(pwrite(first->descriptor(), "abcd", 4, 0), 4);
        char back[4];
        ASSERT_EQ(pread(first->descriptor(), back, 4, 0), 4);
        EXPECT_EQ(std::string(back, 4), "abcd");

        // Moving hands the file over; only the new owner deletes it.
        TemporaryFile moved = std::move(*first);
        first.reset();
        EXPECT_TRUE(testing::fileExists(firstPath));
        EXPECT_EQ(moved.path(), firstPath);
        moved = std::move(*second);
        EXPECT_FALSE(testing::fileExists(firstPath));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_FALSE(TemporaryFile::create(dir.file("missing"), "buf"));
}

TEST(Files, CreatesOneFolderLevel)
{
    TempDir dir;
    EXPECT_TRUE(createFolder(dir.file("Sample")));
    EXPECT_TRUE(isFolder(dir.file("Sample")));
    EXPECT_TRUE(createFolder(dir.file("Sample")));
    EXPECT_FALSE(createFolder(dir.file("a/b")));
    testing::writeFile(dir.file("file"), "x");
    EXPECT_FALSE(createFolder(dir.file("file")));
}

TEST(Files, ListsAFoldersEntriesTellingFilesFromFolders)
{
    TempDir dir;
    testing::writeFile(dir.file("b.txt"), "b");
    testing::writeFile(dir.file("Index.tmp"), "");
    ASSERT_TRUE(createFolder(dir.file("a-folder")));
    std::filesystem::create_directory_symlink(dir.file("a-folder"), dir.file("link"));

    const std::vector<FolderEntry> entries = listFolder(dir.path());
    ASSERT_EQ(entries.size(), 4u);
    const std::pair<std::string, bool> expected[] = {
        {"Index.tmp", false}, {"a-folder", true}, {"b.txt", false}, {"link", true}};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].first);
        EXPECT_EQ(entries[i].name, expected[i].first);
        EXPECT_EQ(entries[i].isFolder, expected[i].second);
    }
    EXPECT_TRUE(listFolder(dir.file("missing")).empty());
}

TEST(Files, DeletesFilesAndOnlyEmptyFolders)
{
    TempDir dir;
    testing::writeFile(dir.file("file"), "x");
    ASSERT_TRUE(createFolder(dir.file("full")));
    testing::writeFile(dir.file("full/inner"), "x");
    ASSERT_TRUE(createFolder(dir.file("empty")));

    EXPECT_FALSE(deleteFile(dir.file("full")));
    EXPECT_TRUE(deleteFile(dir.file("file")));
    EXPECT_FALSE(deleteFile(dir.file("file")));
    EXPECT_FALSE(removeFolder(dir.file("full")));
    EXPECT_TRUE(isFolder(dir.file("full")));
    EXPECT_TRUE(removeFolder(dir.file("empty")));
    EXPECT_FALSE(isFolder(dir.file("empty")));
}

TEST(Files, GivesTheSizeOfFilesOnly)
{
    TempDir dir;
    testing::writeFile(dir.file("five"), "12345");
    testing::writeFile(dir.file("none"), "");
    EXPECT_EQ(fileSize(dir.file("five")), 5u);
    EXPECT_EQ(fileSize(dir.file("none")), 0u);
    EXPECT_FALSE(fileSize(dir.file("missing")));
    EXPECT_FALSE(fileSize(dir.path()));
}

TEST(Files, FindsAFileByNameWithoutRegardToCase)
{
    TempDir dir;
    testing::writeFile(dir.file("Bank.SF2"), "x");
    testing::writeFile(dir.file("both.gig"), "lower");
    testing::writeFile(dir.file("BOTH.gig"), "upper");
    ASSERT_TRUE(createFolder(dir.file("Folder.sf2")));

    struct Case {
        const char* name;
        std::optional<std::string> found;
    };
    const Case cases[] = {
        {"bank.sf2", dir.file("Bank.SF2")},
        {"BANK.sf2", dir.file("Bank.SF2")},
        {"Bank.SF2", dir.file("Bank.SF2")},
        {"both.gig", dir.file("both.gig")},
        {"BOTH.gig", dir.file("BOTH.gig")},
        {"Both.Gig", dir.file("BOTH.gig")},
        {"folder.sf2", std::nullopt},
        {"bank.sf", std::nullopt},
        {"../Bank.SF2", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(findFileInFolder(dir.path(), c.name), c.found);
    }
    EXPECT_FALSE(findFileInFolder(dir.file("missing"), "bank.sf2"));
}

TEST(Files, CopiesTheAccessAndWriteTimes)
{
    TempDir dir;
    testing::writeFile(dir.file("source"), "data");
    testing::writeFile(dir.file("target"), "data");
    const timespec past[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
    ASSERT_EQ(utimensat(AT_FDCWD, dir.file("source").c_str(), past, 0), 0);

    ASSERT_TRUE(copyFileTimes(dir.file("source"), dir.file("target")));
    struct stat info {};
    ASSERT_EQ(stat(dir.file("target").c_str(), &info), 0);
    EXPECT_EQ(info.st_atim.tv_sec, past[0].tv_sec);
    EXPECT_EQ(info.st_atim.tv_nsec, past[0].tv_nsec);
    EXPECT_EQ(info.st_mtim.tv_sec, past[1].tv_sec);
    EXPECT_EQ(info.st_mtim.tv_nsec, past[1].tv_nsec);
    EXPECT_FALSE(copyFileTimes(dir.file("missing"), dir.file("target")));
    EXPECT_FALSE(copyFileTimes(dir.file("source"), dir.file("missing")));
}

TEST(Files, TheInstallationFolderComesFromAppPathsElseTheProgramsFolder)
{
    TempDir dir;
    ScopedEnvironment config("ORLIM_CONFIG_DIR", dir.path());
    EXPECT_EQ(installationFolder(), programFolder());

    const auto appPaths = SettingsKey::create(
        SettingsHive::Machine, "Software\\microsoft\\windows\\CurrentVersion\\App Paths\\Orlim.exe");
    ASSERT_TRUE(appPaths);
    struct Case {
        const char* path;
        std::string folder;
    };
    const Case cases[] = {
        {"/opt/Orlim Durad", "/opt/Orlim Durad"},
        {"/opt/Orlim Durad/", "/opt/Orlim Durad"},
        {"/opt/Orlim Durad\\", "/opt/Orlim Durad"},
        {"/opt/Orlim Durad/Orlim.EXE", "/opt/Orlim Durad/"},
        {"/opt/orlim", "/opt/orlim"},
        {"", programFolder()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_TRUE(appPaths->setString("Path", c.path));
        EXPECT_EQ(installationFolder(), c.folder);
    }
    ASSERT_TRUE(appPaths->setInt("Path", 5));
    EXPECT_EQ(installationFolder(), programFolder());
}

TEST(Files, KnownFoldersFollowTheEnvironment)
{
    TempDir dir;
    ScopedEnvironment home("HOME", dir.path());
    ScopedEnvironment config("XDG_CONFIG_HOME", dir.file("config"));
    ScopedEnvironment data("XDG_DATA_HOME", dir.file("data"));
    ScopedEnvironment noDesktop("XDG_DESKTOP_DIR", "");
    ScopedEnvironment noSettings("ORLIM_CONFIG_DIR", "");
    ScopedEnvironment noPlugins("ORLIM_PLUGIN_DIR", "");

    EXPECT_EQ(homeFolder(), dir.path());
    EXPECT_EQ(settingsFolder(), dir.file("config") + "/orlim-durad");
    EXPECT_EQ(userPluginFolder(), dir.file("data") + "/orlim-durad/plugins");
    EXPECT_EQ(applicationsFolder(), dir.file("data") + "/applications");
    EXPECT_EQ(desktopFolder(), dir.file("Desktop"));

    ASSERT_TRUE(createFolder(dir.file("config")));
    testing::writeFile(dir.file("config/user-dirs.dirs"),
                       "# written by xdg-user-dirs-update\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(desktopFolder(), dir.file("Schreibtisch"));
    {
        ScopedEnvironment desktop("XDG_DESKTOP_DIR", "/srv/desk/");
        EXPECT_EQ(desktopFolder(), "/srv/desk");
    }
    {
        ScopedEnvironment relativeData("XDG_DATA_HOME", "relative");
        ScopedEnvironment relativeConfig("XDG_CONFIG_HOME", "relative");
        EXPECT_EQ(userPluginFolder(), dir.path() + "/.local/share/orlim-durad/plugins");
        EXPECT_EQ(settingsFolder(), dir.path() + "/.config/orlim-durad");
    }
    ScopedEnvironment settings("ORLIM_CONFIG_DIR", "/srv/settings/");
    ScopedEnvironment plugins("ORLIM_PLUGIN_DIR", "/srv/plugins");
    EXPECT_EQ(settingsFolder(), "/srv/settings");
    EXPECT_EQ(userPluginFolder(), "/srv/plugins");
}

TEST(Threads, RaisingAThreadsPriorityIsARequestThatMayBeRefused)
{
    bool raised = false;
    int before = 0;
    int after = 0;
    std::thread worker([&] {
        const auto self = static_cast<id_t>(gettid());
        before = getpriority(PRIO_PROCESS, self);
        raised = raiseCurrentThreadPriority();
        after = getpriority(PRIO_PROCESS, self);
    });
    worker.join();
    if (raised) {
        EXPECT_LT(after, before);
    } else {
        EXPECT_EQ(after, before);
    }
    // The thread that asked is the only one that changed.
    EXPECT_EQ(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())), before);
}

} // namespace
} // namespace orlim

#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

namespace orlim {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;

using ProbeFunction = int (*)();

// The file that a loaded library's probe function lives in.
std::string probeFile(LibraryHandle library)
{
    void* probe = resolveSymbol(library, "platformProbeValue");
    Dl_info info{};
    if (!probe || !dladdr(probe, &info) || !info.dli_fname)
        return {};
    return info.dli_fname;
}

int callProbe(LibraryHandle library)
{
    const auto probe = reinterpret_cast<ProbeFunction>(resolveSymbol(library, "platformProbeValue"));
    return probe ? probe() : -1;
}

class DynamicLibrary : public ::testing::Test {
protected:
    // Puts a copy of the probe library into `folder` under `name`.
    std::string copyProbe(const std::string& folder, const std::string& name)
    {
        const std::string target = folder + "/" + name;
        std::filesystem::copy_file(probe, target, std::filesystem::copy_options::overwrite_existing);
        return target;
    }

    const std::string probe = programFolder() + "/platform-probe.dll";
    TempDir plugins;
    ScopedEnvironment usePlugins{"ORLIM_PLUGIN_DIR", plugins.path()};
};

TEST_F(DynamicLibrary, LoadsAPluginFromTheProgramsFolderWhateverTheCaseOfItsName)
{
    ASSERT_TRUE(testing::fileExists(probe));
    LibraryHandle lower = loadPlugin("platform-probe.dll");
    LibraryHandle upper = loadPlugin("PLATFORM-PROBE.DLL");
    LibraryHandle mixed = loadPlugin("Platform-Probe.Dll");
    ASSERT_NE(lower, nullptr);
    EXPECT_EQ(upper, lower);
    EXPECT_EQ(mixed, lower);
    EXPECT_EQ(callProbe(lower), 42);
    EXPECT_EQ(probeFile(lower), probe);
    EXPECT_EQ(resolveSymbol(lower, "noSuchFunction"), nullptr);
    freeLibrary(mixed);
    freeLibrary(upper);
    // The first reference still holds the library.
    EXPECT_EQ(callProbe(lower), 42);
    freeLibrary(lower);
}

TEST_F(DynamicLibrary, AcceptsOnlyBareNamesThatFitTheirField)
{
    struct Case {
        const char* label;
        std::string name;
        bool bare;
    };
    const Case cases[] = {
        {"a plain name", "platform-probe.dll", true},
        {"31 characters", std::string(27, 'a') + ".dll", true},
        {"32 characters", std::string(28, 'a') + ".dll", false},
        {"empty", "", false},
        {"the current folder", ".", false},
        {"the parent folder", "..", false},
        {"a parent path", "../bin/platform-probe.dll", false},
        {"an absolute path", probe, false},
        {"a sub-folder", "sub/platform-probe.dll", false},
        {"a backslash path", "..\\platform-probe.dll", false},
        {"a NUL inside", std::string("platform-probe.dll\0x", 20), false},
        {"dots in a name", "..dll", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(isBarePluginName(c.name), c.bare);
        if (!c.bare) {
            EXPECT_EQ(loadPlugin(c.name), nullptr);
        }
    }
}

TEST_F(DynamicLibrary, FindsAPluginThatIsOnlyInTheUserPluginFolder)
{
    const std::string copy = copyProbe(plugins.path(), "Only-Here.DLL");
    LibraryHandle library = loadPlugin("only-here.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(probeFile(library), copy);
    EXPECT_EQ(callProbe(library), 42);
    freeLibrary(library);
    EXPECT_EQ(loadPlugin("elsewhere.dll"), nullptr);
}

TEST_F(DynamicLibrary, PrefersTheProgramsFolderToTheUserPluginFolder)
{
    copyProbe(plugins.path(), "platform-probe.dll");
    LibraryHandle library = loadPlugin("platform-probe.dll");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(probeFile(library), probe);
    freeLibrary(library);
}

TEST_F(DynamicLibrary, LoadsANameOfExactly31CharactersWhole)
{
    const std::string name = std::string(27, 'n') + ".dll";
    copyProbe(plugins.path(), name);
    LibraryHandle library = loadPlugin(name);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(probeFile(library), plugins.file(name));
    freeLibrary(library);
}

TEST_F(DynamicLibrary, NeverLooksInTheCurrentFolder)
{
    TempDir current;
    copyProbe(current.path(), "cwd-only.dll");
    const std::string previous = std::filesystem::current_path();
    ASSERT_EQ(chdir(current.path().c_str()), 0);
    EXPECT_EQ(loadPlugin("cwd-only.dll"), nullptr);
    {
        // A relative plug-in folder would mean the current one; it is ignored.
        ScopedEnvironment relative("ORLIM_PLUGIN_DIR", ".");
        EXPECT_EQ(loadPlugin("cwd-only.dll"), nullptr);
    }
    EXPECT_EQ(loadPath("cwd-only.dll"), nullptr);
    EXPECT_EQ(loadPath("./cwd-only.dll"), nullptr);
    ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(DynamicLibrary, LoadsAPickedFileByItsFullPathOnly)
{
    TempDir picked;
    const std::string copy = copyProbe(picked.path(), "Picked.dll");
    LibraryHandle library = loadPath(copy);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(callProbe(library), 42);
    freeLibrary(library);
    // Picked files are not plug-ins the name lookup finds.
    EXPECT_EQ(loadPlugin("Picked.dll"), nullptr);
    EXPECT_EQ(loadPath(picked.file("missing.dll")), nullptr);
}

TEST_F(DynamicLibrary, AFileThatIsNoLibraryDoesNotLoad)
{
    testing::writeFile(plugins.file("text.dll"), "not a shared object");
    EXPECT_EQ(loadPlugin("text.dll"), nullptr);
    EXPECT_EQ(loadPath(plugins.file("text.dll")), nullptr);
    EXPECT_EQ(resolveSymbol(nullptr, "platformProbeValue"), nullptr);
    freeLibrary(nullptr);
}

} // namespace
} // namespace orlim

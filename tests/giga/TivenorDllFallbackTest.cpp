// tivenor.dll started without a library folder in the settings: the folder becomes
// "giga" in the installation folder (here the program's own), and is written back.
#include <gtest/gtest.h>

#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "plugin-api/PluginApi.h"

namespace orlim::testing {
namespace {

TEST(TivenorDllFallback, WithoutASettingTheLibraryIsTheInstallationsGigaFolder)
{
    ASSERT_EQ(SettingsProfile("Tivenor").getString("Library", "Path"), "");
    const LibraryHandle library = loadPlugin("tivenor.dll");
    ASSERT_NE(library, nullptr);
    const auto about = reinterpret_cast<SrcAboutFn>(resolveSymbol(library, kSrcAbout));
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(about(nullptr), "Orlim Giga Source Plugin V1.0 testing.");
    EXPECT_EQ(SettingsProfile("Tivenor").getString("Library", "Path"), programFolder() + "/giga");
    freeLibrary(library);
}

} // namespace
} // namespace orlim::testing

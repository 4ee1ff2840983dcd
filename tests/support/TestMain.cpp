// The main of every test program. The process gets a settings folder of its own,
// so no test reads or writes the user's real settings.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    std::string root = (std::filesystem::temp_directory_path() / "orlim-tests-XXXXXX").string();
    if (!mkdtemp(root.data()))
        return 1;
    setenv("ORLIM_CONFIG_DIR", (root + "/config").c_str(), 1);
    setenv("ORLIM_PLUGIN_DIR", (root + "/plugins").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("ORLIM_WAVE_OUT", "null", 0);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}

#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace orlim::testing {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orlim-test-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        path_ = pattern;
    else
        ADD_FAILURE() << "cannot create a temporary folder";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::file(const std::string& name) const
{
    return path_ + "/" + name;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}

} // namespace orlim::testing

#include "engine/include/DuradOrdinals.h"
#include "engine/include/durad.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <set>
#include <sstream>
#include <string>

namespace orlim {
namespace {

// The names of the library's defined dynamic symbols, as `nm -D` lists them.
std::set<std::string> exportedSymbols(const std::string& library)
{
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + library + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name)
            names.insert(name);
    }
    pclose(pipe);
    return names;
}

TEST(Exports, TheLibraryExportsExactlyTheNumberedFunctions)
{
    std::set<std::string> expected;
    for (const DuradOrdinal& ordinal : kDuradOrdinals)
        expected.insert(ordinal.name);
    const std::set<std::string> exported = exportedSymbols(DURAD_LIBRARY_PATH);
    ASSERT_FALSE(exported.empty()) << "nm could not read " << DURAD_LIBRARY_PATH;
    EXPECT_EQ(exported, expected);
}

TEST(Exports, OrdinalsAreUniqueAscendingAndWithinTheInterface)
{
    int previous = 0;
    std::set<std::string> names;
    for (const DuradOrdinal& ordinal : kDuradOrdinals) {
        SCOPED_TRACE(ordinal.name);
        EXPECT_GT(ordinal.number, previous);
        EXPECT_LE(ordinal.number, 64);
        EXPECT_TRUE(names.insert(ordinal.name).second);
        EXPECT_EQ(std::string(ordinal.name).rfind("mus", 0), 0u);
        previous = ordinal.number;
    }
}

TEST(Exports, EveryNumberedFunctionResolvesByName)
{
    void* library = dlopen(DURAD_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr) << "the test links the library, so it is loaded";
    for (const DuradOrdinal& ordinal : kDuradOrdinals) {
        SCOPED_TRACE(ordinal.name);
        EXPECT_NE(dlsym(library, ordinal.name), nullptr);
    }
    dlclose(library);
}

} // namespace
} // namespace orlim

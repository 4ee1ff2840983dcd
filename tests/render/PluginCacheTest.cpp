// Binding plug-ins by the names records carry.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/render/PluginCache.h"
#include "plugin-api/PluginApi.h"

namespace orlim {
namespace {

// A record with `name` in its 32-byte file name field; a name of 32 characters fills
// the field without a terminator.
std::vector<std::uint8_t> record(const std::string& name, std::size_t length = 100)
{
    std::vector<std::uint8_t> bytes(length, 0);
    writeField<std::uint16_t>(bytes.data(), 0, static_cast<std::uint16_t>(length));
    std::memcpy(bytes.data() + SourceEntryOffset::fileName, name.data(), std::min<std::size_t>(name.size(), 32));
    return bytes;
}

const SourceEntry* source(const std::vector<std::uint8_t>& bytes)
{
    return reinterpret_cast<const SourceEntry*>(bytes.data());
}

const EffectEntry* effect(const std::vector<std::uint8_t>& bytes)
{
    return reinterpret_cast<const EffectEntry*>(bytes.data());
}

SampleRequest request(int pitch = 6000)
{
    SampleRequest r{};
    r.pitch = static_cast<std::int16_t>(pitch);
    r.outRate = 44100;
    r.outBytes = 2;
    r.totalSamples = 4;
    return r;
}

std::filesystem::path programFolder()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

TEST(PluginCache, TwoSpellingsOfOneNameShareOneModule)
{
    PluginCache cache(PluginCache::Kind::Source);
    const auto upper = record("TESTSOURCE.DLL");
    const auto lower = record("testsource.dll");
    SampleRequest first = request();
    ASSERT_NE(cache.getSample(source(upper), &first), nullptr) << cache.lastError();
    SampleRequest second = request();
    ASSERT_NE(cache.getSample(source(lower), &second), nullptr);
    // The module counts its calls: the second call reached the same module.
    EXPECT_EQ(first.sampleLength, 1u);
    EXPECT_EQ(second.sampleLength, 2u);
    EXPECT_EQ(cache.size(), 1u);
}

TEST(PluginCache, KestrowUnderTwoSpellingsIsLoadedOnce)
{
    PluginCache cache(PluginCache::Kind::Source);
    auto upper = record("KESTROW.DLL", 93 + 8);
    auto lower = record("kestrow.dll", 93 + 8);
    for (auto* bytes : {&upper, &lower})
        std::memcpy(bytes->data() + 88, "none.sf2", 8);
    SampleRequest first = request();
    SampleRequest second = request();
    EXPECT_EQ(cache.getSample(source(upper), &first), nullptr);
    EXPECT_EQ(cache.getSample(source(lower), &second), nullptr);
    EXPECT_EQ(cache.size(), 1u);
    // Bound, so the text is the plug-in's own.
    EXPECT_EQ(cache.errorText(lower.data()), "Can't Open the file.");
    EXPECT_EQ(cache.errorText(upper.data()), "Can't Open the file.");
}

TEST(PluginCache, ANameOf31CharactersIsCopiedAndLoadedWhole)
{
    const std::string name = "test-source-with-long-name1.dll";
    ASSERT_EQ(name.size(), 31u);
    PluginCache cache(PluginCache::Kind::Source);
    const auto bytes = record(name);
    SampleRequest r = request();
    EXPECT_NE(cache.getSample(source(bytes), &r), nullptr) << cache.lastError();
    EXPECT_EQ(cache.size(), 1u);
}

TEST(PluginCache, ANameWithoutItsTerminatorIsNotLoaded)
{
    // 32 characters: the first 31 name a library that exists.
    const std::string name = "test-source-with-long-name1.dllx";
    PluginCache cache(PluginCache::Kind::Source);
    const auto bytes = record(name);
    for (int i = 0; i < 3; ++i) {
        SampleRequest r = request();
        EXPECT_EQ(cache.getSample(source(bytes), &r), nullptr);
        EXPECT_EQ(cache.lastError(), "Can't load library test-source-with-long-name1.dll.");
    }
    EXPECT_EQ(cache.size(), 1u);

    // The terminated name is a different library, which loads.
    const auto whole = record("test-source-with-long-name1.dll");
    SampleRequest r = request();
    EXPECT_NE(cache.getSample(source(whole), &r), nullptr);
    EXPECT_EQ(cache.size(), 2u);
}

TEST(PluginCache, AMissingLibraryIsReportedOnEveryNoteAndTriedOnce)
{
    PluginCache cache(PluginCache::Kind::Source);
    const auto bytes = record("late.dll");
    for (int i = 0; i < 3; ++i) {
        SampleRequest r = request();
        EXPECT_EQ(cache.getSample(source(bytes), &r), nullptr);
        EXPECT_EQ(cache.lastError(), "Can't load library late.dll.");
        EXPECT_EQ(cache.errorText(bytes.data()), "Can't load library late.dll.");
    }
    EXPECT_EQ(cache.size(), 1u);

    // The library appears in the user's plug-in folder: this cache does not try again,
    // a new one finds it.
    const std::filesystem::path folder = std::getenv("ORLIM_PLUGIN_DIR");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(programFolder() / "testsource.dll", folder / "late.dll",
                               std::filesystem::copy_options::overwrite_existing);
    SampleRequest again = request();
    EXPECT_EQ(cache.getSample(source(bytes), &again), nullptr);
    PluginCache next(PluginCache::Kind::Source);
    SampleRequest found = request();
    EXPECT_NE(next.getSample(source(bytes), &found), nullptr) << next.lastError();
    std::filesystem::remove(folder / "late.dll");
}

TEST(PluginCache, APluginWithoutErrorTextGivesAnEmptyText)
{
    PluginCache cache(PluginCache::Kind::Source);
    const auto bytes = record("nullerror.dll");
    SampleRequest r = request();
    EXPECT_EQ(cache.getSample(source(bytes), &r), nullptr);
    EXPECT_EQ(cache.errorText(bytes.data()), "");
}

TEST(PluginCache, APluginsOwnErrorTextIsReported)
{
    PluginCache cache(PluginCache::Kind::Source);
    const auto bytes = record("testsource.dll");
    SampleRequest failing = request(-1);
    EXPECT_EQ(cache.getSample(source(bytes), &failing), nullptr);
    EXPECT_EQ(cache.errorText(bytes.data()), "Test source failed.");
    // The cache stays usable.
    SampleRequest fine = request();
    EXPECT_NE(cache.getSample(source(bytes), &fine), nullptr);
}

TEST(PluginCache, ALibraryWithoutTheEntryPointIsNotAPluginOfThatKind)
{
    PluginCache sources(PluginCache::Kind::Source);
    const auto effectLibrary = record("testeffect.dll");
    for (int i = 0; i < 2; ++i) {
        SampleRequest r = request();
        EXPECT_EQ(sources.getSample(source(effectLibrary), &r), nullptr);
        EXPECT_EQ(sources.lastError(), "testeffect.dll is not a Orlim Source plug-in.");
        EXPECT_EQ(sources.errorText(effectLibrary.data()), "testeffect.dll is not a Orlim Source plug-in.");
    }

    PluginCache effects(PluginCache::Kind::Effect);
    const auto sourceLibrary = record("TestSource.dll");
    std::int32_t buffer[4] = {1, 2, 3, 4};
    SampleRequest r = request();
    EXPECT_EQ(effects.treat(effect(sourceLibrary), &r, buffer), nullptr);
    EXPECT_EQ(effects.lastError(), "TestSource.dll is not a Orlim Effect plug-in.");
    EXPECT_EQ(effects.errorText(sourceLibrary.data()), "TestSource.dll is not a Orlim Effect plug-in.");
}

TEST(PluginCache, AnEffectCacheTreatsNotes)
{
    PluginCache cache(PluginCache::Kind::Effect);
    const auto bytes = record("testeffect.dll", 144);
    std::int32_t buffer[4] = {1, 2, 3, -4};
    SampleRequest r = request();
    EXPECT_EQ(cache.treat(effect(bytes), &r, buffer), buffer);
    EXPECT_EQ(buffer[3], -8);
    SampleRequest empty = request();
    empty.totalSamples = 0;
    EXPECT_EQ(cache.treat(effect(bytes), &empty, buffer), nullptr);
    EXPECT_EQ(cache.errorText(bytes.data()), "Test effect failed.");
}

TEST(PluginCache, NamesThatAreNotBareFileNamesAreNeverLoaded)
{
    const std::string program = (programFolder() / "testsource.dll").string();
    for (const std::string& name : {std::string("../bin/testsource.dll"), program.substr(0, 31),
                                   std::string("bin/testsource.dll"), std::string(".."), std::string("."),
                                   std::string("")}) {
        SCOPED_TRACE(name);
        PluginCache cache(PluginCache::Kind::Source);
        const auto bytes = record(name);
        SampleRequest r = request();
        EXPECT_EQ(cache.getSample(source(bytes), &r), nullptr);
        EXPECT_EQ(cache.lastError(), "Can't load library " + name.substr(0, 31) + ".");
    }
}

TEST(PluginCache, ARecordNeverBoundGetsTheCachesOwnText)
{
    PluginCache cache(PluginCache::Kind::Source);
    EXPECT_EQ(cache.errorText(record("testsource.dll").data()), "");
    const auto missing = record("missing.dll");
    SampleRequest r = request();
    cache.getSample(source(missing), &r);
    EXPECT_EQ(cache.errorText(record("other.dll").data()), "Can't load library missing.dll.");
}

} // namespace
} // namespace orlim

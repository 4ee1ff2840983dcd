// The caches the source plug-ins keep between notes.
#include <filesystem>

#include <gtest/gtest.h>

#include "plugins/common/BankCache.h"
#include "plugins/common/SampleCache.h"
#include "tests/support/TempDir.h"

namespace orlim::plugin {
namespace {

SampleBlock blockOf(std::size_t bytes, std::uint8_t fill = 0)
{
    return std::make_shared<const std::vector<std::uint8_t>>(bytes, fill);
}

TEST(SampleCache, EvictsTheLeastRecentlyUsedToStayWithinItsBudget)
{
    SampleCache cache(1000);
    cache.insert({1, 0, 400}, blockOf(400));
    cache.insert({1, 400, 400}, blockOf(400));
    ASSERT_TRUE(cache.find({1, 0, 400})); // now the most recent
    cache.insert({1, 800, 400}, blockOf(400));
    EXPECT_TRUE(cache.find({1, 0, 400}));
    EXPECT_FALSE(cache.find({1, 400, 400}));
    EXPECT_TRUE(cache.find({1, 800, 400}));
    EXPECT_EQ(cache.bytesHeld(), 800u);
    EXPECT_LE(cache.bytesHeld(), cache.budget());
}

TEST(SampleCache, KeepsNoBlockLargerThanItsBudget)
{
    SampleCache cache(1000);
    cache.insert({1, 0, 10}, blockOf(10));
    cache.insert({1, 0, 1001}, blockOf(1001));
    EXPECT_FALSE(cache.find({1, 0, 1001}));
    EXPECT_TRUE(cache.find({1, 0, 10}));
}

TEST(SampleCache, TellsBankVersionsApart)
{
    SampleCache cache(1000);
    cache.insert({1, 0, 10}, blockOf(10, 1));
    cache.insert({2, 0, 10}, blockOf(10, 2));
    EXPECT_EQ((*cache.find({1, 0, 10}))[0], 1);
    EXPECT_EQ((*cache.find({2, 0, 10}))[0], 2);
}

TEST(SampleCache, AHandedOutBlockOutlivesItsEviction)
{
    SampleCache cache(100);
    cache.insert({1, 0, 100}, blockOf(100, 7));
    const SampleBlock held = cache.find({1, 0, 100});
    cache.insert({1, 100, 100}, blockOf(100));
    EXPECT_FALSE(cache.find({1, 0, 100}));
    ASSERT_TRUE(held);
    EXPECT_EQ((*held)[99], 7);
}

TEST(BankCache, LoadsOncePerFileVersionAndForgetsDeletedFiles)
{
    testing::TempDir dir;
    const std::string path = dir.file("a.bank");
    testing::writeFile(path, "one");
    BankCache<std::string> cache(2);
    auto load = [](const std::string& p) { return std::make_shared<std::string>(testing::readFile(p)); };

    EXPECT_EQ(*cache.get(path, fileIdentity(path), load), "one");
    EXPECT_EQ(*cache.get(path, fileIdentity(path), load), "one");
    EXPECT_EQ(cache.loads(), 1u);

    testing::writeFile(path, "three");
    EXPECT_EQ(*cache.get(path, fileIdentity(path), load), "three");
    EXPECT_EQ(cache.loads(), 2u);

    std::filesystem::remove(path);
    EXPECT_EQ(cache.get(path, fileIdentity(path), load), nullptr);
    EXPECT_EQ(cache.size(), 0u);
}

TEST(BankCache, KeepsAtMostItsCapacity)
{
    testing::TempDir dir;
    BankCache<std::string> cache(2);
    auto load = [](const std::string& p) { return std::make_shared<std::string>(p); };
    for (const char* name : {"a", "b", "c"}) {
        testing::writeFile(dir.file(name), name);
        cache.get(dir.file(name), fileIdentity(dir.file(name)), load);
    }
    EXPECT_EQ(cache.size(), 2u);
    cache.get(dir.file("a"), fileIdentity(dir.file("a")), load); // evicted first, so read again
    EXPECT_EQ(cache.loads(), 4u);
}

TEST(BankCache, DoesNotKeepAFailedLoad)
{
    testing::TempDir dir;
    testing::writeFile(dir.file("a"), "x");
    BankCache<std::string> cache(2);
    int calls = 0;
    auto fail = [&](const std::string&) {
        ++calls;
        return std::shared_ptr<std::string>();
    };
    EXPECT_EQ(cache.get(dir.file("a"), fileIdentity(dir.file("a")), fail), nullptr);
    EXPECT_EQ(cache.get(dir.file("a"), fileIdentity(dir.file("a")), fail), nullptr);
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace orlim::plugin

#include "platform/SaveWaveProgress.h"

#include <cstdio>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace orlim {
namespace {

// Sends stderr into a file for one scope.
class CapturedStderr {
public:
    explicit CapturedStderr(const std::string& path)
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        std::FILE* file = std::fopen(path.c_str(), "w");
        dup2(fileno(file), STDERR_FILENO);
        std::fclose(file);
    }
    ~CapturedStderr()
    {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }

private:
    int saved_;
};

TEST(SaveWaveProgress, WithoutADialogNothingIsPrintedWhenStderrIsNoTerminal)
{
    testing::TempDir dir;
    {
        CapturedStderr captured(dir.file("stderr"));
        std::unique_ptr<SaveWaveProgress> progress = makeSaveWaveProgress();
        progress->open("/music/piece.wav", 1000);
        progress->position(420, "42%");
        progress->idle(1);
        EXPECT_FALSE(progress->cancelled());
        progress->position(1000, "100%");
        progress->close();
    }
    EXPECT_EQ(testing::readFile(dir.file("stderr")), "");
}

class CountingProgress final : public SaveWaveProgress {
public:
    explicit CountingProgress(int& made) { ++made; }
    void open(const std::string&, std::uint64_t) override {}
    void position(std::uint64_t, const std::string&) override {}
    void idle(int) override {}
    bool cancelled() override { return true; }
    void close() override {}
};

TEST(SaveWaveProgress, AnInstalledFactoryMakesEveryDisplayUntilItIsRemoved)
{
    int made = 0;
    const SaveWaveProgressFactory previous =
        setSaveWaveProgressFactory([&made] { return std::make_unique<CountingProgress>(made); });
    EXPECT_FALSE(previous);
    EXPECT_TRUE(makeSaveWaveProgress()->cancelled());
    EXPECT_TRUE(makeSaveWaveProgress()->cancelled());
    EXPECT_EQ(made, 2);
    EXPECT_TRUE(setSaveWaveProgressFactory({}));
    EXPECT_FALSE(makeSaveWaveProgress()->cancelled());
    EXPECT_EQ(made, 2);
}

} // namespace
} // namespace orlim

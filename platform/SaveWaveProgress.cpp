#include "platform/SaveWaveProgress.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace orlim {
namespace {

std::mutex factoryMutex;
SaveWaveProgressFactory installedFactory;

// "Saving Wave" as a bar on the terminal, redrawn in place.
class TerminalProgress final : public SaveWaveProgress {
public:
    TerminalProgress() : shown_(isatty(STDERR_FILENO) == 1) {}

    void open(const std::string& path, std::uint64_t maximum) override
    {
        path_ = path;
        maximum_ = maximum;
        position(0, "0%");
    }

    void position(std::uint64_t bytes, const std::string& percentText) override
    {
        if (!shown_)
            return;
        constexpr std::uint64_t kWidth = 30;
        const std::uint64_t filled =
            maximum_ == 0 ? 0 : std::min<std::uint64_t>(kWidth, bytes * kWidth / maximum_);
        const bool done = percentText == "100%";
        std::string bar(done ? kWidth : filled, '#');
        bar.resize(kWidth, '-');
        std::fprintf(stderr, "\rSaving Wave %s [%s] %4s", path_.c_str(), bar.c_str(), percentText.c_str());
        std::fflush(stderr);
    }

    void idle(int milliseconds) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

    bool cancelled() override { return false; }

    void close() override
    {
        if (shown_)
            std::fputc('\n', stderr);
    }

private:
    bool shown_;
    std::string path_;
    std::uint64_t maximum_ = 0;
};

} // namespace

SaveWaveProgressFactory setSaveWaveProgressFactory(SaveWaveProgressFactory factory)
{
    std::lock_guard lock(factoryMutex);
    SaveWaveProgressFactory previous = std::move(installedFactory);
    installedFactory = std::move(factory);
    return previous;
}

std::unique_ptr<SaveWaveProgress> makeSaveWaveProgress()
{
    SaveWaveProgressFactory factory;
    {
        std::lock_guard lock(factoryMutex);
        factory = installedFactory;
    }
    if (factory)
        if (std::unique_ptr<SaveWaveProgress> display = factory())
            return display;
    return std::make_unique<TerminalProgress>();
}

} // namespace orlim

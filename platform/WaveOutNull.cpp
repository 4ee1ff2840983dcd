// The null backend: every buffer takes its real duration to "play", and nothing is
// heard. Headless machines and tests play through it.

#include "platform/WaveOutSink.h"

#include <algorithm>

namespace orlim {
namespace {

constexpr std::uint64_t kNanos = 1'000'000'000u;

} // namespace

ClockSink::ClockSink(const WaveOutFormat& format)
    : rate_(format.samplesPerSec), align_(format.blockAlign)
{
}

std::size_t ClockSink::feed(const unsigned char*, std::size_t bytes)
{
    // The clock runs only while something is left to play: an empty device starts
    // again from now.
    if (!paused_ && played() >= fed_) {
        base_ = fed_;
        started_ = Clock::now();
    }
    fed_ += bytes;
    return bytes;
}

std::uint64_t ClockSink::played()
{
    if (paused_)
        return base_;
    const auto elapsed = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - started_).count());
    // Whole seconds apart, so that the product cannot overflow on long runs.
    const std::uint64_t frames = elapsed / kNanos * rate_ + elapsed % kNanos * rate_ / kNanos;
    return std::min(fed_, base_ + frames * align_);
}

std::chrono::nanoseconds ClockSink::timeUntilPlayed(std::uint64_t target)
{
    if (paused_ || target <= base_)
        return paused_ ? std::chrono::seconds(1) : std::chrono::nanoseconds(0);
    const std::uint64_t frames = (target - base_ + align_ - 1) / align_;
    const std::uint64_t nanos = frames / rate_ * kNanos + (frames % rate_ * kNanos + rate_ - 1) / rate_;
    const auto due = started_ + std::chrono::nanoseconds(nanos);
    return std::max(std::chrono::duration_cast<std::chrono::nanoseconds>(due - Clock::now()),
                    std::chrono::nanoseconds(0));
}

bool ClockSink::pause()
{
    if (!paused_) {
        base_ = played();
        paused_ = true;
    }
    return true;
}

bool ClockSink::drop()
{
    fed_ = 0;
    base_ = 0;
    started_ = Clock::now();
    paused_ = false;
    return true;
}

std::unique_ptr<WaveOut::Sink> openNullSink(const WaveOutFormat& format, std::string_view)
{
    return std::make_unique<ClockSink>(format);
}

} // namespace orlim

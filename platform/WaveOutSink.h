#pragma once
// What a wave-out backend does. The device thread of platform/WaveOut.cpp is the only
// caller of a sink once it has been opened, so a sink needs no locking of its own.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/WaveOut.h"

namespace orlim {

class WaveOut::Sink {
public:
    virtual ~Sink() = default;

    // Takes as many of the bytes as fit now, in whole frames, without blocking;
    // returns how many it took.
    virtual std::size_t feed(const unsigned char* data, std::size_t bytes) = 0;
    // Nothing more is waiting to be fed: a device that holds back its start until its
    // ring is full starts now.
    virtual void flush() {}
    // Bytes played of those fed since opening or the last drop.
    virtual std::uint64_t played() = 0;
    // About how long until `target` bytes will have been played; the device thread
    // waits that long (or until it is called) before it looks again.
    virtual std::chrono::nanoseconds timeUntilPlayed(std::uint64_t target) = 0;
    // A buffer has been played to its end.
    virtual void keep(const unsigned char* data, std::size_t bytes)
    {
        (void)data;
        (void)bytes;
    }
    virtual bool pause() = 0;
    // Forgets everything fed; the counts start again from 0.
    virtual bool drop() = 0;
    // Releases the device; false when something played could not be kept.
    virtual bool close() = 0;
};

// A sink that plays in real time against the steady clock and makes no sound.
class ClockSink : public WaveOut::Sink {
public:
    explicit ClockSink(const WaveOutFormat& format);

    std::size_t feed(const unsigned char* data, std::size_t bytes) override;
    std::uint64_t played() override;
    std::chrono::nanoseconds timeUntilPlayed(std::uint64_t target) override;
    bool pause() override;
    bool drop() override;
    bool close() override { return true; }

private:
    using Clock = std::chrono::steady_clock;

    std::uint64_t rate_;
    std::uint64_t align_;
    std::uint64_t fed_ = 0;
    // Bytes played when the clock last started (or stopped, while paused).
    std::uint64_t base_ = 0;
    Clock::time_point started_ = Clock::now();
    bool paused_ = false;
};

// The backends. `argument` is what follows "name:" in ORLIM_WAVE_OUT. Null when the
// device cannot be opened for the format.
std::unique_ptr<WaveOut::Sink> openAlsaSink(const WaveOutFormat& format, std::string_view argument);
std::unique_ptr<WaveOut::Sink> openNullSink(const WaveOutFormat& format, std::string_view argument);
std::unique_ptr<WaveOut::Sink> openFileSink(const WaveOutFormat& format, std::string_view argument);

} // namespace orlim

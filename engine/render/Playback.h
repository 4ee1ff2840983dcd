#pragma once
// Playback of a range of a Durad on the wave-out device while the render pass
// produces it on a thread of its own. Two buffers of 200 ms circulate through the
// device; its callback refills them from the stream, reports the time played to the
// request's notify window and notices the end; a 500 ms timer on the thread that
// started playback closes everything once both buffers have come back for good.
//
// Threads: play, endPlay and isPlaying run on the caller's thread, which must serve
// its thread timers (a Qt event loop, or a pumped QueueWindow headless). The device
// callback runs on the device's thread and touches only the stream, the byte
// counters, the countdown and the buffers' markers.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "engine/include/durad.h"
#include "engine/render/RenderContext.h"
#include "platform/ThreadTimer.h"
#include "platform/WaveOut.h"

namespace orlim {

class Playback {
public:
    // Markers of a buffer, kept in its user word.
    static constexpr std::uint32_t kCirculating = 0;
    static constexpr std::uint32_t kLastData = 255;
    static constexpr std::uint32_t kFinished = 136;
    // Buffers of silence after an underrun, besides the one that found it.
    static constexpr std::int32_t kUnderrunBuffers = 8;

    Playback() = default;
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Ends any playback, clamps the request's end to the music length (writing it
    // back) and starts playing. The request is kept by pointer until playback ends.
    // False when the start is not below the end, or when the stream or the device
    // cannot be made ("Can't open wave device" is shown then); nothing is left open.
    bool play(PlayRequest& request);

    // Stops rendering and the device from any state and posts WM_MUS_PLAYEND; does
    // nothing when nothing plays. While it waits for the render thread it serves the
    // requests that thread makes of the user interface.
    void endPlay();

    // True while the device is open, including while the last buffers drain.
    bool isPlaying() const { return playing_.load(std::memory_order_acquire); }

    // Buffers of silence still to come after an underrun.
    std::int32_t underrunCountdown() const { return underrun_.load(std::memory_order_acquire); }

private:
    void bufferDone(WaveBuffer& buffer);
    void timerTick();
    // Waits, serving user-interface requests, until the render pass has ended.
    void waitForRenderPass();
    // Frees the buffers, the render thread and the stream once the device is closed.
    void releaseAll();
    void killTimer();
    // Tells the callback and the timer that end play owns the device from now on.
    void beginEnding();

    RenderContext context_;
    std::thread renderThread_;
    std::unique_ptr<WaveOut> device_;
    std::atomic<bool> playing_{false};
    // Set by end play only. The render pass may set stop by itself (a stream file
    // that fails, an error under StopOnError); playback then drains and ends as usual.
    std::atomic<bool> ending_{false};
    WaveBuffer buffers_[2];
    std::unique_ptr<unsigned char[]> data_[2];
    std::uint32_t bufferLength_ = 0;
    std::atomic<std::int32_t> underrun_{0};
    ThreadTimerId timer_ = 0;
};

// The engine's one playback, shared by every Durad of the process.
Playback& enginePlayback();

} // namespace orlim

#pragma once
// The wave-out device: plays PCM buffers one after another, in the order they were
// queued, and hands each one back "done" on the device's own thread once it has been
// played. Backends, chosen by ORLIM_WAVE_OUT:
//   "alsa"       the "default" PCM of the sound system (also without the variable);
//   "null"       consumes every buffer in its real duration and plays nothing;
//   "file:PATH"  as null, and writes what was played to the wave file PATH.
//
// Threads: open, prepare, unprepare, write, pause, reset and close may be called from
// any thread; the done callback may queue buffers again from inside itself, since
// the sound system itself is only ever driven from the device thread. The callback
// must not touch widgets; it only posts messages.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace orlim {

// 8-bit samples are signed, like every other width; all are little-endian.
struct WaveOutFormat {
    std::uint16_t formatTag = 1; // only 1, PCM, opens
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint16_t blockAlign = 4;     // bytes per frame, at least channels x bytes per sample
    std::uint16_t bitsPerSample = 16; // 8, 16, 24 or 32
};

// A buffer that circulates through the device. Its owner keeps it and its data alive
// until it has come back done or the device is closed, and leaves data and length
// alone while it is queued.
struct WaveBuffer {
    unsigned char* data = nullptr;
    std::uint32_t length = 0; // bytes
    // The owner's own word; the device never touches it.
    std::atomic<std::uint32_t> user{0};

    // Bookkeeping of the device.
    std::atomic<bool> prepared{false};
    std::atomic<bool> queued{false};
};

// Called on the device thread for every buffer that comes back: played, or returned
// by reset. The buffer is no longer queued when it runs.
using WaveDoneCallback = std::function<void(WaveBuffer& buffer)>;

class WaveOut {
public:
    // Opens the device that ORLIM_WAVE_OUT names. Null, with nothing left allocated,
    // when the format is not PCM, the name is unknown or the device refuses.
    static std::unique_ptr<WaveOut> open(const WaveOutFormat& format, WaveDoneCallback done);

    // Closes the device when it is still open.
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // Bookkeeping only: a buffer must be prepared before it is queued, and may be
    // unprepared only while it is not queued.
    bool prepare(WaveBuffer& buffer);
    bool unprepare(WaveBuffer& buffer);

    // Queues a prepared buffer behind those already queued.
    bool write(WaveBuffer& buffer);

    // Stops playing where it is; queued buffers stay queued.
    bool pause();

    // Stops at once and hands every queued buffer back done, firing the callback for
    // each in queue order before it returns. Leaves the device ready to play again.
    bool reset();

    // Closes the device: buffers still queued are dropped without a callback.
    // False when the device reported a failure (a file that could not be written);
    // the device is closed all the same. Not from inside the callback.
    bool close();

    bool isOpen() const;

    class Sink;

private:
    struct Impl;
    explicit WaveOut(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace orlim

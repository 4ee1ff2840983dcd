#pragma once
// The byte queue between a render pass and its consumer (the wave device or the save
// dialog). The first kCapacity bytes not yet read stay in memory; everything written
// beyond them goes into a temporary file at its own stream offset, so the renderer may
// run arbitrarily far ahead while memory stays flat.
//
// Threads: one writer (the render thread) and one reader (the device callback or the
// save dialog) at a time. A guard word makes each write and read exclusive; the other
// side waits for the short copy to finish.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Files.h"

namespace orlim {

class StreamBuffer {
public:
    static constexpr std::uint32_t kCapacity = 32768;

    // A stream whose file is made in engineTempFolder("Buffer"), the folder being
    // created when missing. Null when the folder or the file cannot be made: without
    // its file the stream would lose every byte beyond the window.
    static std::unique_ptr<StreamBuffer> create();
    // The same in `folder`, which must exist.
    static std::unique_ptr<StreamBuffer> createIn(const std::string& folder);

    ~StreamBuffer();
    StreamBuffer(const StreamBuffer&) = delete;
    StreamBuffer& operator=(const StreamBuffer&) = delete;

    // Appends `count` bytes. False when the count is not positive, or when the file
    // refused them; then nothing of them is in the stream, and every later write is
    // refused too, so the stream never holds a gap. Writer's thread.
    bool write(const void* bytes, std::int64_t count);

    // Takes up to `count` bytes in order; returns how many were delivered, 0 when the
    // stream holds none. Reader's thread.
    std::size_t read(void* destination, std::size_t count);

    // Bytes produced and consumed so far.
    std::uint64_t writtenCount() const { return written_.load(std::memory_order_acquire); }
    std::uint64_t readCount() const { return read_.load(std::memory_order_acquire); }

    // True once the file failed; the stream then ends at writtenCount().
    bool failed() const { return failed_.load(std::memory_order_acquire); }

    const std::string& filePath() const { return file_.path(); }

private:
    explicit StreamBuffer(TemporaryFile file);

    enum Guard : int { Idle = 0, Reading = 1, Writing = 2 };
    void take(Guard mode);
    void release();

    // One step of a read, at most the window's size.
    std::size_t readStep(unsigned char* destination, std::size_t count);

    TemporaryFile file_;
    std::unique_ptr<unsigned char[]> window_;
    std::atomic<std::uint64_t> read_{0};
    std::atomic<std::uint64_t> written_{0};
    std::atomic<int> guard_{Idle};
    std::atomic<bool> failed_{false};
};

} // namespace orlim

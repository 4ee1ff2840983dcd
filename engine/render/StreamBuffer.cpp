#include "engine/render/StreamBuffer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>
#include <unistd.h>

#include "engine/render/TempPath.h"

namespace orlim {
namespace {

bool writeAt(int descriptor, const unsigned char* bytes, std::uint64_t count, std::uint64_t offset)
{
    while (count > 0) {
        const ssize_t done = ::pwrite(descriptor, bytes, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        count -= static_cast<std::uint64_t>(done);
        offset += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool readAt(int descriptor, unsigned char* bytes, std::uint64_t count, std::uint64_t offset)
{
    while (count > 0) {
        const ssize_t done = ::pread(descriptor, bytes, count, static_cast<off_t>(offset));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        count -= static_cast<std::uint64_t>(done);
        offset += static_cast<std::uint64_t>(done);
    }
    return true;
}

} // namespace

std::unique_ptr<StreamBuffer> StreamBuffer::create()
{
    const std::string folder = engineTempFolder("Buffer");
    if (!createFolder(folder))
        return nullptr;
    return createIn(folder);
}

std::unique_ptr<StreamBuffer> StreamBuffer::createIn(const std::string& folder)
{
    std::optional<TemporaryFile> file = TemporaryFile::create(folder, "buf");
    if (!file)
        return nullptr;
    return std::unique_ptr<StreamBuffer>(new StreamBuffer(std::move(*file)));
}

StreamBuffer::StreamBuffer(TemporaryFile file)
    : file_(std::move(file)), window_(new unsigned char[kCapacity]())
{
}

StreamBuffer::~StreamBuffer() = default;

void StreamBuffer::take(Guard mode)
{
    int expected = Idle;
    while (!guard_.compare_exchange_weak(expected, mode, std::memory_order_acquire,
                                         std::memory_order_relaxed)) {
        expected = Idle;
        std::this_thread::yield();
    }
}

void StreamBuffer::release()
{
    guard_.store(Idle, std::memory_order_release);
}

bool StreamBuffer::write(const void* bytes, std::int64_t count)
{
    if (count <= 0)
        return false;
    const auto* source = static_cast<const unsigned char*>(bytes);
    const auto total = static_cast<std::uint64_t>(count);
    take(Writing);
    if (failed_.load(std::memory_order_relaxed)) {
        release();
        return false;
    }
    const std::uint64_t written = written_.load(std::memory_order_relaxed);
    const std::uint64_t ahead = written - read_.load(std::memory_order_relaxed);
    std::uint64_t inWindow = 0;
    if (ahead < kCapacity) {
        inWindow = std::min<std::uint64_t>(total, kCapacity - ahead);
        std::memcpy(window_.get() + ahead, source, inWindow);
    }
    if (total > inWindow &&
        !writeAt(file_.descriptor(), source + inWindow, total - inWindow, written + inWindow)) {
        // The bytes copied into the window lie beyond the written count, so the
        // stream holds none of this write.
        failed_.store(true, std::memory_order_release);
        release();
        return false;
    }
    written_.store(written + total, std::memory_order_release);
    release();
    return true;
}

std::size_t StreamBuffer::readStep(unsigned char* destination, std::size_t count)
{
    const std::uint64_t written = written_.load(std::memory_order_relaxed);
    std::uint64_t read = read_.load(std::memory_order_relaxed);
    const std::uint64_t available = written - read;
    if (available == 0)
        return 0;
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(count, available));
    std::memcpy(destination, window_.get(), n);
    read += n;
    read_.store(read, std::memory_order_release);
    std::memmove(window_.get(), window_.get() + n, kCapacity - n);
    const std::size_t kept = kCapacity - n;
    if (read + kept < written) {
        const std::uint64_t refill = std::min<std::uint64_t>(written - read - kept, kCapacity - kept);
        if (!readAt(file_.descriptor(), window_.get() + kept, refill, read + kept)) {
            // The window's tail would hold stale bytes: end the stream where the
            // valid bytes end, and refuse further writes.
            failed_.store(true, std::memory_order_release);
            written_.store(read + kept, std::memory_order_release);
        }
    }
    return n;
}

std::size_t StreamBuffer::read(void* destination, std::size_t count)
{
    auto* target = static_cast<unsigned char*>(destination);
    std::size_t delivered = 0;
    take(Reading);
    // The window holds at most kCapacity bytes, so a larger read takes several steps.
    while (delivered < count) {
        const std::size_t step = readStep(target + delivered, std::min<std::size_t>(count - delivered, kCapacity));
        if (step == 0)
            break;
        delivered += step;
    }
    release();
    return delivered;
}

} // namespace orlim

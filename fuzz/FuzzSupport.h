#pragma once
// What every fuzz target shares.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/MessageBox.h"

namespace orlim::fuzz {

// Answers every message box at once without printing it, for the whole run: readers
// report bad input in boxes, and the fuzzer feeds nothing else.
inline void silenceMessageBoxes()
{
    static const bool silenced = [] {
        setMessagePresenter([](WindowHandle, const std::string&, const std::string&, MessageButtons) {
            return MessageAnswer::Ok;
        });
        return true;
    }();
    (void)silenced;
}

// Stops the run with a crash the fuzzer records when an expectation does not hold.
inline void check(bool condition)
{
    if (!condition)
        std::abort();
}

// Little-endian fields of the request bytes that lead an input.
inline std::int16_t le16(const std::uint8_t* bytes)
{
    return static_cast<std::int16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

// A path that reads the given bytes as a file, for the readers that open by name.
class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(memfd_create("input", 0))
    {
        check(fd_ >= 0);
        check(write(fd_, data, size) == static_cast<ssize_t>(size));
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

} // namespace orlim::fuzz

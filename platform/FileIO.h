#pragma once
// Plain file reading and safe file writing. Readers return short counts at the end
// of the file; writers remember the first failure and replace their target only
// once every byte has reached the disk.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace orlim {

class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool open(const std::string& path);
    // Reads `size` bytes of memory as if they were a file; they must outlive the
    // reader. For fuzzing and tests of the readers built on this one.
    bool openMemory(const void* data, std::size_t size);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    // Reads up to `count` bytes; returns how many were read (fewer at the end).
    std::size_t read(void* data, std::size_t count);
    // False past the end of the file; the position is then unchanged.
    bool seek(std::uint64_t offset);
    std::uint64_t tell() const { return position_; }
    std::uint64_t size() const { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
};

// Writes to a temporary file beside the target; commit() flushes it to disk and
// renames it over the target. Destroying an uncommitted writer deletes the
// temporary file, so a failed save never touches the old file.
class FileWriter {
public:
    FileWriter() = default;
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Starts a temporary file beside the target (beside the file a link points at).
    // False when it cannot be created, or when the target exists but is not a regular
    // file this process may write. A replaced file keeps its permissions and owner.
    bool create(const std::string& targetPath);
    bool write(const void* data, std::size_t count);
    bool seek(std::uint64_t offset);
    std::uint64_t tell() const { return position_; }
    // False when any write so far failed.
    bool good() const { return file_ != nullptr && !failed_; }
    // Flushes, syncs and renames over the target. False on any failure, after which
    // the temporary file is gone and the target is as it was.
    bool commit();
    // Gives up: the temporary file is deleted, the target is untouched.
    void discard();

    const std::string& targetPath() const { return target_; }

    // Test hook: every writer fails once `bytes` more bytes have been written in
    // total by all writers (std::nullopt switches the fault off).
    static void failAfterBytes(std::optional<std::uint64_t> bytes);

private:
    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temporary_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
};

} // namespace orlim

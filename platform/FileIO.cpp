#include "platform/FileIO.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace orlim {
namespace {

// Remaining bytes before the injected write fault; negative means no fault.
std::atomic<std::int64_t> faultBudget{-1};

bool consumeFaultBudget(std::size_t count)
{
    std::int64_t budget = faultBudget.load();
    while (budget >= 0) {
        const std::int64_t left = budget - static_cast<std::int64_t>(count);
        if (left < 0) {
            faultBudget.store(0);
            return false;
        }
        if (faultBudget.compare_exchange_weak(budget, left))
            return true;
    }
    return true;
}

// Six letters or digits for a temporary name beside the target.
std::string uniqueSuffix()
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937_64 random{std::random_device{}()};
    std::string suffix(6, ' ');
    for (char& letter : suffix)
        letter = kLetters[random() % (sizeof kLetters - 1)];
    return suffix;
}

} // namespace

FileReader::~FileReader()
{
    close();
}

bool FileReader::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0 || !S_ISREG(info.st_mode)) {
        close();
        return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    position_ = 0;
    return true;
}

bool FileReader::openMemory(const void* data, std::size_t size)
{
    close();
    static char noBytes;
    if (!data && size != 0)
        return false;
    // fmemopen wants a writable pointer even for reading; "r" never writes to it.
    file_ = fmemopen(data ? const_cast<void*>(data) : &noBytes, size, "r");
    if (!file_)
        return false;
    size_ = size;
    position_ = 0;
    return true;
}

void FileReader::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    position_ = size_ = 0;
}

std::size_t FileReader::read(void* data, std::size_t count)
{
    if (!file_ || count == 0)
        return 0;
    const std::size_t got = std::fread(data, 1, count, file_);
    position_ += got;
    return got;
}

bool FileReader::seek(std::uint64_t offset)
{
    if (!file_ || offset > size_)
        return false;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0)
        return false;
    position_ = offset;
    return true;
}

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::create(const std::string& targetPath)
{
    discard();
    // Saving through a link writes the file it points at and keeps the link.
    std::string resolved = targetPath;
    if (char* real = realpath(targetPath.c_str(), nullptr)) {
        resolved = real;
        std::free(real);
    }
    struct stat existing {};
    const bool replacing = ::stat(resolved.c_str(), &existing) == 0;
    // What could not be opened for writing in place is not replaced either.
    if (replacing && (!S_ISREG(existing.st_mode) || access(resolved.c_str(), W_OK) != 0))
        return false;

    // Created with 0666 so that the process's umask applies to a new file.
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary_ = resolved + "." + uniqueSuffix();
        fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        temporary_.clear();
        return false;
    }
    // A replaced file keeps its owner and permissions: a private document stays private.
    if (replacing) {
        fchmod(fd, existing.st_mode & 07777);
        if (fchown(fd, existing.st_uid, existing.st_gid) != 0)
            fchmod(fd, existing.st_mode & 0777);
    }
    file_ = fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    target_ = resolved;
    position_ = 0;
    failed_ = false;
    return true;
}

bool FileWriter::write(const void* data, std::size_t count)
{
    if (!good())
        return false;
    if (count == 0)
        return true;
    if (!consumeFaultBudget(count) || std::fwrite(data, 1, count, file_) != count) {
        failed_ = true;
        return false;
    }
    position_ += count;
    return true;
}

bool FileWriter::seek(std::uint64_t offset)
{
    if (!good() || offset > static_cast<std::uint64_t>(INT64_MAX))
        return false;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        failed_ = true;
        return false;
    }
    position_ = offset;
    return true;
}

bool FileWriter::commit()
{
    if (!file_)
        return false;
    bool ok = !failed_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok)
        ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
    if (!ok)
        unlink(temporary_.c_str());
    temporary_.clear();
    return ok;
}

void FileWriter::discard()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporary_.empty()) {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}

void FileWriter::failAfterBytes(std::optional<std::uint64_t> bytes)
{
    faultBudget.store(bytes ? static_cast<std::int64_t>(*bytes) : -1);
}

} // namespace orlim

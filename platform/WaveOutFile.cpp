// The file backend: plays like the null backend and writes every buffer that was
// played to its end into a wave file, so what a listener would have heard can be
// compared byte for byte. The file appears when the device is closed.

#include "platform/WaveOutSink.h"

#include <string>

#include "platform/Riff.h"

namespace orlim {
namespace {

void putLe16(unsigned char* at, std::uint32_t value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void putLe32(unsigned char* at, std::uint32_t value)
{
    putLe16(at, value);
    putLe16(at + 2, value >> 16);
}

class FileSink final : public ClockSink {
public:
    explicit FileSink(const WaveOutFormat& format) : ClockSink(format) {}

    bool create(const WaveOutFormat& format, const std::string& path)
    {
        unsigned char fmt[18];
        putLe16(fmt, format.formatTag);
        putLe16(fmt + 2, format.channels);
        putLe32(fmt + 4, format.samplesPerSec);
        putLe32(fmt + 8, format.samplesPerSec * format.blockAlign);
        putLe16(fmt + 12, format.blockAlign);
        putLe16(fmt + 14, format.bitsPerSample);
        putLe16(fmt + 16, 0);
        return file_.create(path) && file_.beginList(kRiffId, fourcc("WAVE")) &&
               file_.writeChunk(fourcc("fmt "), fmt, sizeof fmt) && file_.beginChunk(fourcc("data"));
    }

    void keep(const unsigned char* data, std::size_t bytes) override { file_.write(data, bytes); }

    bool close() override { return file_.commit(); }

private:
    RiffWriter file_;
};

} // namespace

std::unique_ptr<WaveOut::Sink> openFileSink(const WaveOutFormat& format, std::string_view argument)
{
    if (argument.empty())
        return nullptr;
    auto sink = std::make_unique<FileSink>(format);
    if (!sink->create(format, std::string(argument)))
        return nullptr;
    return sink;
}

} // namespace orlim

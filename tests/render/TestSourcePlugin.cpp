// A source plug-in for the binding and render tests. Without a shape in its record,
// every srcGetSample counts its calls into the request's sampleLength, so a test can
// tell one loaded module from two. With a shape it answers with a synthetic block
// and the out fields its record carries. A negative pitch makes it fail with a text
// of its own. It keeps every request it was given for the tests to read.
#include <cmath>
#include <cstring>
#include <vector>

#include "plugin-api/PluginApi.h"
#include "tests/render/TestPluginRecords.h"

namespace {

using namespace orlim;
namespace TestSource = orlim::testing::TestSource;

int calls = 0;
const std::int16_t silence[64] = {};
std::vector<unsigned char> block;
std::vector<SampleRequest> requests;
const char* failure = nullptr;

std::int64_t pointOf(std::uint8_t shape, std::int64_t amplitude, std::uint32_t period, std::uint32_t n)
{
    switch (shape) {
    case TestSource::Sine:
        return std::llround(static_cast<double>(amplitude) * std::sin(2.0 * M_PI * n / period));
    case TestSource::Ramp:
        return amplitude * (n % period) / period;
    default:
        return amplitude;
    }
}

const void* shapedAnswer(const SourceEntry* entry, SampleRequest* request)
{
    const std::uint8_t shape = readField<std::uint8_t>(entry, TestSource::shape);
    const auto amplitude = readField<std::int32_t>(entry, TestSource::amplitude);
    std::uint32_t period = readField<std::uint32_t>(entry, TestSource::period);
    if (period == 0)
        period = 1;
    const std::uint32_t sounding = request->totalSamples;
    std::memcpy(reinterpret_cast<unsigned char*>(request) + 16,
                reinterpret_cast<const unsigned char*>(entry) + TestSource::request + 16, sizeof(SampleRequest) - 16);
    request->totalSamples = sounding + readField<std::uint32_t>(entry, TestSource::release);
    const std::uint32_t noteOff = readField<std::uint32_t>(entry, TestSource::noteOff);
    request->noteOff = noteOff == TestSource::kNoteOffAtLength ? sounding : noteOff;

    const unsigned bytes = request->sampleBytes >= 1 && request->sampleBytes <= 4 ? request->sampleBytes : 2;
    const std::size_t points = std::size_t{request->sampleLength} + TestSource::kExtraPoints;
    block.assign(points * bytes, 0);
    for (std::uint32_t n = 0; n < points; ++n) {
        const std::int64_t value = pointOf(shape, amplitude, period, n);
        for (unsigned b = 0; b < bytes; ++b)
            block[n * bytes + b] = static_cast<unsigned char>(static_cast<std::uint64_t>(value) >> (8 * b));
    }
    return block.data();
}

} // namespace

ORLIM_PLUGIN_EXPORT const void* srcGetSample(const SourceEntry* entry, SampleRequest* request) noexcept
{
    requests.push_back(*request);
    failure = request->pitch < 0 ? "Test source failed." : nullptr;
    if (failure)
        return nullptr;
    if (entry->length >= TestSource::recordLength && readField<std::uint8_t>(entry, TestSource::shape) != 0)
        return shapedAnswer(entry, request);
    request->sampleLength = static_cast<std::uint32_t>(++calls);
    return silence;
}

ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept
{
    return failure;
}

// For the tests: the requests received so far, as they arrived.
ORLIM_PLUGIN_EXPORT int testSourceRequestCount() noexcept
{
    return static_cast<int>(requests.size());
}

ORLIM_PLUGIN_EXPORT SampleRequest testSourceRequest(int index) noexcept
{
    return requests.at(static_cast<std::size_t>(index));
}

ORLIM_PLUGIN_EXPORT void testSourceForget() noexcept
{
    requests.clear();
}

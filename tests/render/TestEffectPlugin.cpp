// An effect plug-in for the binding and render tests. What it does to a note is
// chosen by the mode byte of its record: double it in place (the default, which fails
// for an empty note), scale it, return a longer buffer of its own, lengthen it inside
// the engine's buffer, or fail. It counts its calls for the tests.
#include <vector>

#include "plugin-api/PluginApi.h"
#include "tests/render/TestPluginRecords.h"

namespace {

using namespace orlim;
namespace TestEffect = orlim::testing::TestEffect;

const char* failure = nullptr;
int calls = 0;
std::vector<std::int32_t> own;

std::uint8_t modeOf(const EffectEntry* entry)
{
    return entry->length >= TestEffect::recordLength ? readField<std::uint8_t>(entry, TestEffect::mode) : 0;
}

} // namespace

ORLIM_PLUGIN_EXPORT std::int32_t* effTreat(const EffectEntry* entry, SampleRequest* request,
                                           std::int32_t* buffer) noexcept
{
    ++calls;
    const std::uint8_t mode = modeOf(entry);
    const std::int32_t value = readField<std::int32_t>(entry, TestEffect::value);
    const std::uint32_t extra = readField<std::uint32_t>(entry, TestEffect::extra);
    failure = (mode == TestEffect::Fail || (mode == TestEffect::Double && request->totalSamples == 0))
                  ? "Test effect failed."
                  : nullptr;
    if (failure)
        return nullptr;
    switch (mode) {
    case TestEffect::Scale:
        for (std::uint32_t i = 0; i < request->totalSamples; ++i)
            buffer[i] = static_cast<std::int32_t>(std::int64_t{buffer[i]} * value / 1000);
        return buffer;
    case TestEffect::Longer:
        own.assign(buffer, buffer + request->totalSamples);
        own.resize(own.size() + extra, value);
        request->totalSamples += extra;
        return own.data();
    case TestEffect::Stretch:
        request->totalSamples += extra;
        return buffer;
    default:
        for (std::uint32_t i = 0; i < request->totalSamples; ++i)
            buffer[i] *= 2;
        return buffer;
    }
}

ORLIM_PLUGIN_EXPORT const char* effGetLastError() noexcept
{
    return failure;
}

// For the tests: the calls of effTreat so far.
ORLIM_PLUGIN_EXPORT int testEffectCalls() noexcept
{
    return calls;
}

// Feeds arbitrary source answers to note synthesis and mixing. The first 94 bytes are
// the request from offset 6 on, as a plug-in could leave it (output width and rate,
// lengths, envelope, oscillators, filter, block format, loop); the rest are the
// block's points. The block holds its stated points and the five a loop needs after
// its end, as plug-ins promise. Nothing may read or write outside the block, the
// note buffer or the mix buffer, whatever the fields say.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/model/Durad.h"
#include "engine/model/Editing.h"
#include "engine/render/Mixer.h"
#include "engine/render/NoteCurves.h"
#include "engine/render/NoteSynth.h"

namespace {

using namespace orlim;

constexpr std::size_t kRequestBytes = sizeof(SampleRequest) - 6;

struct Scene {
    Durad durad{nullptr};
    Track* track = nullptr;
    Note* note = nullptr;
    Scene()
    {
        insertNote(durad, 0, 0, 60, 64);
        insertPano(durad, 0, 20, 9000, -4000, 100);
        track = trackAt(durad, 0);
        note = track->notes;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kRequestBytes)
        return 0;
    static Scene scene;
    static NoteSynth synth;
    static NoteCurves curves;
    static MixBuffer mix;

    SampleRequest request{};
    std::memcpy(reinterpret_cast<unsigned char*>(&request) + 6, data, kRequestBytes);
    // Keep each run short: the lengths and the rate bound the work, not its safety.
    request.totalSamples %= 20000;
    request.outRate %= 100000;
    const unsigned width = request.sampleBytes >= 1 && request.sampleBytes <= 4 ? request.sampleBytes : 1;
    const std::size_t available = (size - kRequestBytes) / width;
    request.sampleLength = static_cast<std::uint32_t>(std::min<std::size_t>(request.sampleLength, available));
    std::vector<unsigned char> block((std::size_t{request.sampleLength} + 5) * width, 0);
    std::memcpy(block.data(), data + kRequestBytes, std::min(block.size(), size - kRequestBytes));

    const std::atomic<std::int32_t> stop{0};
    if (synth.synthesize(*scene.note, *scene.track, scene.durad, request, block.data(), false, curves, stop) !=
        NoteSynth::Result::Rendered)
        return 0;
    const OutputLayout layout{1u + request.outBytes % 6, 1u + request.outBytes % 4,
                              (1u + request.outBytes % 6) * (1u + request.outBytes % 4)};
    const NoteSignal signal{synth.values(), request.totalSamples, synth.shape().smoothingWidth,
                            synth.shape().blendLength};
    mix.consume(mix.fill());
    mixNote(signal, curves.pan, layout, mix, request.delayEnd % 64);
    return 0;
}

#include "engine/render/RenderPass.h"

#include <algorithm>
#include <limits>

#include "engine/include/DuradMessages.h"
#include "engine/model/Timeline.h"
#include "engine/render/RenderState.h"
#include "engine/render/SynthMath.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace orlim {
namespace {

// Silence written beyond the mix buffer's fill without growing it.
constexpr std::size_t kZeroBytes = 32768;
const unsigned char kZeros[kZeroBytes] = {};

// Output bytes of `milliseconds` of music: whole samples, then whole frames.
std::uint64_t bytesOfTime(std::int64_t milliseconds, std::uint32_t rate, unsigned align)
{
    if (milliseconds <= 0)
        return 0;
    const unsigned __int128 samples = static_cast<unsigned __int128>(milliseconds) * rate / 1000;
    const unsigned __int128 bytes = samples * align;
    return bytes > std::numeric_limits<std::uint64_t>::max() ? std::numeric_limits<std::uint64_t>::max()
                                                             : static_cast<std::uint64_t>(bytes);
}

} // namespace

RenderPass::RenderPass(RenderContext& context)
    : context_(context), request_(*context.request), music_(*context.request->music)
{
    const WaveFormat& format = request_.format;
    layout_.channels = format.channels;
    layout_.outBytes = format.bitsPerSample / 8u;
    layout_.align = format.blockAlign;
    rate_ = format.samplesPerSec;
    const unsigned mixed = std::min<unsigned>(layout_.channels, ChannelGains::kChannels);
    // A frame that cannot hold its samples, or a width the mixer does not know,
    // renders nothing rather than writing across frames.
    usable_ = layout_.outBytes >= 1 && layout_.outBytes <= 4 && mixed >= 1 &&
              layout_.align >= mixed * layout_.outBytes && rate_ > 0;
}

bool RenderPass::stopped() const
{
    return ended_ || context_.stop.load(std::memory_order_relaxed) != 0;
}

std::int64_t RenderPass::timeOfTick(std::uint64_t position)
{
    // The tick after the last position there is: its time is that of the last
    // position plus a whole tick.
    if (position > std::numeric_limits<std::uint32_t>::max())
        return timeOfPosition(music_, std::numeric_limits<std::uint32_t>::max(), 240);
    return timeOfPosition(music_, static_cast<std::uint32_t>(position), 0);
}

void RenderPass::run()
{
    context_.renderedBytes = 0;
    if (usable_) {
        flushedMs_ = timeOfTick(request_.start);
        const int tracks = trackCount(music_);
        std::uint64_t o = request_.start;
        while (o <= request_.end && !stopped()) {
            const std::int64_t t = timeOfTick(o);
            if (t - flushedMs_ > 80)
                flushTo(t);
            int i = 0;
            for (Track* track = music_.tracks; track && i < tracks && !stopped(); track = track->next, ++i) {
                if (request_.muteMask && request_.muteMask[i])
                    continue;
                renderTrackNotes(*track, i, static_cast<std::uint32_t>(o));
            }
            ++o;
        }
        finalFlush(timeOfTick(o));
    }
    mix_ = MixBuffer();
    synth_ = NoteSynth();
    sources_.reset();
    context_.running = false;
}

void RenderPass::renderTrackNotes(Track& track, int index, std::uint32_t position)
{
    const Note* note = noteAtOrAfter(track, position);
    if (!note || note->position != position)
        return;
    const SourceNode* source = sourceInForce(track, position);
    if (!source) {
        report("The Track-" + std::to_string(index + 1) + " has not defined a source!", false);
        return;
    }
    for (; note && note->position == position && !stopped(); note = note->next)
        renderNote(*note, track, index, *source);
}

void RenderPass::renderNote(const Note& note, Track& track, int index, const SourceNode& source)
{
    const std::int64_t s = timeOfPosition(music_, note.position, note.delay);
    const std::uint64_t endPosition =
        std::min<std::uint64_t>(std::uint64_t{note.position} + static_cast<std::uint64_t>(std::max<int>(note.duration, 0)),
                                std::numeric_limits<std::uint32_t>::max());
    const std::int64_t e = timeOfPosition(music_, static_cast<std::uint32_t>(endPosition), note.delay);

    sample_ = SampleRequest{};
    sample_.pitch = saturatedInt16(std::int64_t{note.pitch} * 100 + note.tune);
    sample_.loudness = saturatedInt16(std::int64_t{trackLoudness(track, note.position)} + note.loudness);
    sample_.string = note.string;
    sample_.outBytes = static_cast<std::uint16_t>(layout_.outBytes);
    sample_.outRate = rate_;
    const unsigned __int128 sounding = static_cast<unsigned __int128>(std::max<std::int64_t>(e - s, 0)) * rate_ / 1000;
    const unsigned __int128 total = static_cast<unsigned __int128>(std::max<int>(note.legato, 0)) * sounding / 1000;
    sample_.totalSamples = total > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(total);

    const auto* entry = reinterpret_cast<const SourceEntry*>(source.entry.data());
    if (!sources_)
        sources_.emplace(PluginCache::Kind::Source);
    const void* block = sources_->getSample(entry, &sample_);
    if (!block) {
        report("Track-" + std::to_string(index + 1) + "(" + std::string(entryFileName(entry)) +
                   "):" + sources_->errorText(entry),
               false);
        return;
    }
    // The note sounds on after its release point for half of noteOff (synthesis
    // cuts it to 1.5 x noteOff), whatever release the plug-in reported.
    if (sample_.noteOff > 0 && sample_.totalSamples >= sample_.noteOff)
        sample_.totalSamples = saturatedUint32(std::uint64_t{2} * sample_.noteOff);

    RenderState& state = renderState();
    const std::uint32_t jitter = state.nextJitter();
    const std::uint64_t offset = bytesOfTime(s - flushedMs_, rate_, 1) + jitter;
    const bool placed = mix_.fillTo(std::uint64_t{layout_.align} * (offset + sample_.totalSamples));
    noteMixCapacity();
    if (!placed)
        return;

    state.openSampleFiles();
    const bool effects = (request_.flags & kPlayDisableEffect) == 0;
    if (synth_.synthesize(note, track, music_, sample_, block, effects, state.curves(), context_.stop) !=
        NoteSynth::Result::Rendered)
        return;
    const std::int32_t* values = treatNote(note, track);
    if (!values)
        return;
    const NoteSignal signal{values, sample_.totalSamples, synth_.shape().smoothingWidth, synth_.shape().blendLength};
    mixNote(signal, state.curves().pan, layout_, mix_, std::uint64_t{layout_.align} * offset);
    noteMixCapacity();
}

const std::int32_t* RenderPass::treatNote(const Note& note, Track& track)
{
    std::int32_t* buffer = synth_.values();
    if (request_.flags & kPlayDisableEffect)
        return buffer;
    for (int n = 0; const EffectNode* node = activeEffect(track, note.position, n); ++n) {
        // An effect may lengthen the note inside this buffer: what it finds beyond the
        // note is silence, not the end of an earlier, longer note.
        if (n == 0)
            std::fill(buffer + std::min<std::size_t>(sample_.totalSamples, synth_.capacity()),
                      buffer + synth_.capacity(), 0);
        PluginCache& effects = renderState().effects();
        const auto* entry = reinterpret_cast<const EffectEntry*>(node->entry.data());
        const std::uint32_t before = sample_.totalSamples;
        std::int32_t* treated = effects.treat(entry, &sample_, buffer);
        if (!treated) {
            // The note goes on as it was before the failed call, length included.
            sample_.totalSamples = before;
            report(std::string(entryFileName(entry)) + ":" + effects.errorText(entry), true);
            if (context_.stop.load(std::memory_order_relaxed))
                break;
            continue;
        }
        buffer = treated;
        // A plug-in that lengthens the note in the engine's own buffer gets no more
        // than the buffer holds.
        if (buffer == synth_.values() && sample_.totalSamples > synth_.capacity())
            sample_.totalSamples = static_cast<std::uint32_t>(synth_.capacity());
    }
    return context_.stop.load(std::memory_order_relaxed) ? nullptr : buffer;
}

void RenderPass::emit(std::uint64_t bytes)
{
    StreamBuffer& stream = *context_.stream;
    const std::uint64_t fromMix = std::min<std::uint64_t>(bytes, mix_.fill());
    bool written = fromMix == 0 || stream.write(mix_.data(), static_cast<std::int64_t>(fromMix));
    if (written)
        context_.renderedBytes += static_cast<std::int64_t>(fromMix);
    for (std::uint64_t left = bytes - fromMix; written && left > 0;) {
        const std::uint64_t piece = std::min<std::uint64_t>(left, kZeroBytes);
        written = stream.write(kZeros, static_cast<std::int64_t>(piece));
        if (written)
            context_.renderedBytes += static_cast<std::int64_t>(piece);
        left -= piece;
    }
    // Without its file the stream would lose what follows: end the pass.
    if (!written)
        context_.stop = 1;
}

void RenderPass::flushTo(std::int64_t time)
{
    const std::uint64_t n = bytesOfTime(time - flushedMs_, rate_, layout_.align);
    emit(n);
    mix_.consume(static_cast<std::size_t>(std::min<std::uint64_t>(n, mix_.fill())));
    flushedMs_ = time;
}

void RenderPass::finalFlush(std::int64_t time)
{
    // The whole fill goes out, so release tails behind the last position are heard.
    emit(std::max<std::uint64_t>(bytesOfTime(time - flushedMs_, rate_, layout_.align), mix_.fill()));
}

void RenderPass::report(const std::string& text, bool fromEffect)
{
    if (request_.flags & kPlayStopOnError) {
        context_.playedBytes = context_.renderedBytes.load();
        // Once stop is set the user interface may be waiting for this thread, and a
        // box would wait for the user interface.
        if (context_.stop.load() == 0)
            messageBox(nullptr, text);
        if (fromEffect)
            context_.stop = 1;
        else
            ended_ = true;
        return;
    }
    postText(request_.notifyWindow, WM_MUS_ERROR, 0, text);
}

void RenderPass::noteMixCapacity()
{
    peakMixCapacity_ = std::max(peakMixCapacity_, mix_.capacity());
}

void runRenderPass(RenderContext& context)
{
    if (!context.request || !context.request->music || !context.stream) {
        context.running = false;
        return;
    }
    RenderPass pass(context);
    pass.run();
}

bool renderSynchronously(RenderContext& context, PlayRequest& request)
{
    if (!request.music)
        return false;
    context.request = &request;
    context.stream = StreamBuffer::create();
    if (!context.stream)
        return false;
    context.renderedBytes = 0;
    context.playedBytes = 0;
    context.startMs = timeOfPosition(*request.music, request.start, 0);
    context.stop = 0;
    context.running = true;
    runRenderPass(context);
    return true;
}

} // namespace orlim

#pragma once
// The render pass: turns a range of a Durad into one continuous stream of PCM bytes
// in the request's wave format. It walks the range tick by tick; for every note that
// starts on an audible track it asks the track's source plug-in for a sample, has the
// note synthesized, passes it through the track's effects and mixes it into the mix
// buffer, and writes finished stretches into the stream every 80 ms of music.
//
// Threads: the pass runs on the thread that calls it (playback and wave saving start
// one of their own). It reads the Durad without a lock, so nobody may change it
// meanwhile, and moves the tracks' note cursors. It talks to its starter and to the
// consumer of the stream only through the context's atomic words. One pass at a time
// per process: passes share the effect plug-ins and the jitter sequence.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/render/MixBuffer.h"
#include "engine/render/Mixer.h"
#include "engine/render/NoteSynth.h"
#include "engine/render/PluginCache.h"
#include "engine/render/RenderContext.h"
#include "plugin-api/SampleRequest.h"

namespace orlim {

class RenderPass {
public:
    // The context must carry its request, with a Durad, and its stream.
    explicit RenderPass(RenderContext& context);
    RenderPass(const RenderPass&) = delete;
    RenderPass& operator=(const RenderPass&) = delete;

    // Renders the whole range, or until `stop` is set or an error ends the pass, and
    // writes the final flush. Clears `running` as its very last action.
    void run();

    // The largest capacity the mix buffer reached, in bytes.
    std::size_t peakMixCapacity() const { return peakMixCapacity_; }

private:
    bool stopped() const;
    void renderTrackNotes(Track& track, int index, std::uint32_t position);
    void renderNote(const Note& note, Track& track, int index, const SourceNode& source);
    // The effect chain; the buffer to mix, or null when the pass is to stop.
    const std::int32_t* treatNote(const Note& note, Track& track);
    // Writes `bytes` bytes from the front of the mix buffer (zeros beyond its fill).
    void emit(std::uint64_t bytes);
    void flushTo(std::int64_t time);
    void finalFlush(std::int64_t time);
    std::int64_t timeOfTick(std::uint64_t position);
    void report(const std::string& text, bool fromEffect);
    void noteMixCapacity();

    RenderContext& context_;
    PlayRequest& request_;
    Durad& music_;
    OutputLayout layout_;
    std::uint32_t rate_ = 0;
    bool usable_ = false;
    std::int64_t flushedMs_ = 0;
    bool ended_ = false; // an error under StopOnError ends the pass
    MixBuffer mix_;
    NoteSynth synth_;
    std::optional<PluginCache> sources_; // made by the first note, freed at the end
    SampleRequest sample_{};
    std::size_t peakMixCapacity_ = 0;
};

// The pass for context.request into context.stream on the calling thread: the
// thread procedure of playback and wave saving. Without a request, a Durad or a
// stream it only clears `running`.
void runRenderPass(RenderContext& context);

// Prepares `context` for a pass over `request` (a new stream, the counters at 0,
// startMs, stop clear, running set) and runs the pass on the calling thread. False,
// rendering nothing, without a Durad or when the stream cannot be made.
bool renderSynchronously(RenderContext& context, PlayRequest& request);

} // namespace orlim

#pragma once
// The shared state of one render pass, owned by whoever starts it (playback or the
// save dialog). The pass runs on a thread of its own and talks to its starter and to
// the consumer of the stream only through the atomic words below.

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/include/durad.h"
#include "engine/render/StreamBuffer.h"

namespace orlim {

struct RenderContext {
    // Read-only for the pass: the request being rendered, owned by the starter's caller.
    PlayRequest* request = nullptr;
    // Written by the pass: bytes written into the stream so far.
    std::atomic<std::int64_t> renderedBytes{0};
    // Written by the consumer (the wave device); the pass sets it to renderedBytes
    // when it shows an error and ends.
    std::atomic<std::int64_t> playedBytes{0};
    // Set by the starter: time of the request's start position, ms; read by the
    // consumer's thread for the positions it reports.
    std::atomic<std::int64_t> startMs{0};
    // Set by the starter; written by the pass, read by the consumer.
    std::unique_ptr<StreamBuffer> stream;
    // Set by the starter before the pass starts; the pass clears it as its last action.
    std::atomic<bool> running{false};
    // Set to nonzero by the consumer to end the pass early. The pass sets it itself
    // when an effect fails under StopOnError or the stream's file fails.
    std::atomic<std::int32_t> stop{0};
};

} // namespace orlim

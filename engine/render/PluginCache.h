#pragma once
// The engine's binding of plug-in libraries at render time. A cache binds each library
// by the file name a record carries, compared without regard to case, and loads it at
// most once while the cache lives: a library that failed to load stays cached as
// failed. The entry point is resolved at every call, so a library without it is
// reported on every note. The engine keeps two caches: one for source plug-ins per
// render pass, one for effect plug-ins per process. Used only by the render thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin-api/Entries.h"
#include "plugin-api/SampleRequest.h"

namespace orlim {

class PluginCache {
public:
    enum class Kind { Source, Effect };

    explicit PluginCache(Kind kind) : kind_(kind) {}
    // Frees every library that was loaded.
    ~PluginCache();
    PluginCache(const PluginCache&) = delete;
    PluginCache& operator=(const PluginCache&) = delete;

    Kind kind() const { return kind_; }

    // Source caches: srcGetSample of the entry's library. Its result unchanged, or null
    // when the library cannot be bound (the cache's text then says why).
    const void* getSample(const SourceEntry* entry, SampleRequest* request);
    // Effect caches: effTreat of the entry's library, likewise.
    std::int32_t* treat(const EffectEntry* entry, SampleRequest* request, std::int32_t* buffer);

    // The text for a failed call with this record: the library's srcGetLastError (or
    // effGetLastError) when it is bound and exports it (a null text counts as empty),
    // else the cache's own last text.
    std::string errorText(const void* entry) const;

    // The cache's own text of its last binding failure.
    const std::string& lastError() const { return text_; }
    // Libraries bound so far, failed ones included: one load attempt each.
    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        char name[kNameFieldSize]; // the record's name field, always terminated
        bool terminated;           // the record's field held its terminator
        void* module;              // null when the library could not be loaded
    };

    // The entry for the record's library, loading it when the cache has none yet.
    const Entry& bind(const void* record);
    const Entry* find(const void* record) const;
    // The entry point `symbol` of a bound library, or null after setting the text.
    void* entryPoint(const Entry& entry, const char* symbol);

    Kind kind_;
    std::vector<Entry> entries_;
    std::string text_;
};

} // namespace orlim

#include "engine/render/PluginCache.h"

#include <cstring>
#include <strings.h>

#include "platform/DynamicLibrary.h"
#include "plugin-api/PluginApi.h"

namespace orlim {
namespace {

// The record's library name as the cache keeps it: at most 31 characters.
std::string_view cachedName(const void* record)
{
    std::string_view name = entryFileName(record);
    return name.substr(0, kNameFieldSize - 1);
}

bool hasTerminator(const void* record)
{
    return entryFileName(record).size() < kNameFieldSize;
}

bool sameName(std::string_view a, const char* b)
{
    return a.size() == std::strlen(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

} // namespace

PluginCache::~PluginCache()
{
    for (const Entry& entry : entries_)
        if (entry.module)
            freeLibrary(entry.module);
}

const PluginCache::Entry* PluginCache::find(const void* record) const
{
    const std::string_view name = cachedName(record);
    const bool terminated = hasTerminator(record);
    for (const Entry& entry : entries_)
        if (entry.terminated == terminated && sameName(name, entry.name))
            return &entry;
    return nullptr;
}

const PluginCache::Entry& PluginCache::bind(const void* record)
{
    if (const Entry* found = find(record))
        return *found;
    Entry entry{};
    std::memcpy(entry.name, static_cast<const char*>(record) + SourceEntryOffset::fileName, kNameFieldSize);
    entry.name[kNameFieldSize - 1] = '\0';
    entry.terminated = hasTerminator(record);
    // A name that fills its field without a terminator is not a file name.
    entry.module = entry.terminated ? loadPlugin(entry.name) : nullptr;
    entries_.push_back(entry);
    return entries_.back();
}

void* PluginCache::entryPoint(const Entry& entry, const char* symbol)
{
    if (!entry.module) {
        text_ = std::string("Can't load library ") + entry.name + ".";
        return nullptr;
    }
    void* function = resolveSymbol(entry.module, symbol);
    if (!function)
        text_ = std::string(entry.name) +
                (kind_ == Kind::Source ? " is not a Orlim Source plug-in." : " is not a Orlim Effect plug-in.");
    return function;
}

const void* PluginCache::getSample(const SourceEntry* entry, SampleRequest* request)
{
    const auto getSample = reinterpret_cast<SrcGetSampleFn>(entryPoint(bind(entry), kSrcGetSample));
    return getSample ? getSample(entry, request) : nullptr;
}

std::int32_t* PluginCache::treat(const EffectEntry* entry, SampleRequest* request, std::int32_t* buffer)
{
    const auto treat = reinterpret_cast<EffTreatFn>(entryPoint(bind(entry), kEffTreat));
    return treat ? treat(entry, request, buffer) : nullptr;
}

std::string PluginCache::errorText(const void* entry) const
{
    const Entry* found = find(entry);
    if (!found || !found->module)
        return text_;
    void* function = resolveSymbol(found->module, kind_ == Kind::Source ? kSrcGetLastError : kEffGetLastError);
    if (!function)
        return text_;
    // Both last-error entry points have the same shape.
    const char* text = reinterpret_cast<SrcGetLastErrorFn>(function)();
    return text ? text : "";
}

} // namespace orlim

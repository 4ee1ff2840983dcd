#pragma once
// Entry points of source and effect plug-ins. A plug-in is a shared library named by
// its bare file name ("kestrow.dll") that exports some of these C functions by name;
// hosts resolve them at run time and never link against a plug-in.
//
// Ownership: records passed in stay the caller's and are not kept. Records, texts and
// buffers returned stay the plug-in's and are valid until its next call of the same
// kind; callers copy what they keep.
//
// Threads: about, help and setup are called on the user-interface thread; getSample,
// treat and the two last-error functions on the render thread, possibly while the
// plug-in's setup dialog is open on the user-interface thread.

#include <cstdint>

#include "platform/Window.h"
#include "plugin-api/Entries.h"
#include "plugin-api/SampleRequest.h"

// Marks a plug-in's definition of an entry point for export. Plug-ins define only the
// entry points they implement.
#define ORLIM_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

// ---- Source plug-ins ----

// Null parent: returns a text naming the plug-in, owned by the plug-in. Otherwise shows
// the modal about box on the parent and returns null. UI thread.
ORLIM_PLUGIN_EXPORT const char* srcAbout(orlim::WindowHandle parent) noexcept;

// Opens the plug-in's help. The result is ignored. UI thread.
ORLIM_PLUGIN_EXPORT int srcHelp() noexcept;

// Runs the setup dialog on `parent` for an existing record of this plug-in (or null for
// a new one), for track `track` (-1 from the MIDI source preset dialog), with `position`
// as the start of a new record. Returns the plug-in's own record, valid until its next
// srcSetup, or null when the user cancelled. UI thread.
ORLIM_PLUGIN_EXPORT orlim::SourceEntry* srcSetup(orlim::WindowHandle parent,
                                                 const orlim::SourceEntry* existing, int track,
                                                 std::uint32_t position) noexcept;

// Fills the out fields of `request` for one note of `entry` and returns the sample
// block (request->sampleLength points of request->sampleBytes bytes each), owned by the
// plug-in and valid until its next srcGetSample; null on failure. Render thread.
ORLIM_PLUGIN_EXPORT const void* srcGetSample(const orlim::SourceEntry* entry,
                                             orlim::SampleRequest* request) noexcept;

// Text of the failure of the last srcGetSample, owned by the plug-in, or null when that
// call succeeded. Render thread.
ORLIM_PLUGIN_EXPORT const char* srcGetLastError() noexcept;

// ---- Effect plug-ins ----

// As srcAbout. UI thread.
ORLIM_PLUGIN_EXPORT const char* effAbout(orlim::WindowHandle parent) noexcept;

// As srcHelp. UI thread.
ORLIM_PLUGIN_EXPORT int effHelp() noexcept;

// As srcSetup, returning the plug-in's own EffectEntry. UI thread.
ORLIM_PLUGIN_EXPORT orlim::EffectEntry* effSetup(orlim::WindowHandle parent,
                                                 const orlim::EffectEntry* existing, int track,
                                                 std::uint32_t position) noexcept;

// Treats one note: `buffer` holds request->totalSamples signed 32-bit output samples,
// owned by the engine. Returns the buffer to use from then on: `buffer` changed in
// place, or a buffer of the plug-in's own (valid until its next effTreat) holding
// request->totalSamples values; null on failure. Render thread.
ORLIM_PLUGIN_EXPORT std::int32_t* effTreat(const orlim::EffectEntry* entry,
                                           orlim::SampleRequest* request,
                                           std::int32_t* buffer) noexcept;

// Text of the last failure, owned by the plug-in. Render thread.
ORLIM_PLUGIN_EXPORT const char* effGetLastError() noexcept;

namespace orlim {

// Types of the entry points as hosts resolve them.
using SrcAboutFn = decltype(&::srcAbout);
using SrcHelpFn = decltype(&::srcHelp);
using SrcSetupFn = decltype(&::srcSetup);
using SrcGetSampleFn = decltype(&::srcGetSample);
using SrcGetLastErrorFn = decltype(&::srcGetLastError);
using EffAboutFn = decltype(&::effAbout);
using EffHelpFn = decltype(&::effHelp);
using EffSetupFn = decltype(&::effSetup);
using EffTreatFn = decltype(&::effTreat);
using EffGetLastErrorFn = decltype(&::effGetLastError);

// Export names, for resolving.
inline constexpr const char* kSrcAbout = "srcAbout";
inline constexpr const char* kSrcHelp = "srcHelp";
inline constexpr const char* kSrcSetup = "srcSetup";
inline constexpr const char* kSrcGetSample = "srcGetSample";
inline constexpr const char* kSrcGetLastError = "srcGetLastError";
inline constexpr const char* kEffAbout = "effAbout";
inline constexpr const char* kEffHelp = "effHelp";
inline constexpr const char* kEffSetup = "effSetup";
inline constexpr const char* kEffTreat = "effTreat";
inline constexpr const char* kEffGetLastError = "effGetLastError";

} // namespace orlim

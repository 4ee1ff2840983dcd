#pragma once
// Window messages between the engine, the editor and the plug-ins' dialogs. Every one
// is sent or posted through platform/Window.h; the numbers are part of the contract.

#include <cstdint>

// View -> main window: lParam is the text of the position pane, or null.
inline constexpr std::uint32_t WM_MUS_POSTEXT = 0x465;

// Engine -> notify window. LOADED and CHANGED are sent synchronously by the model
// (lParam 0 or the Durad); POSITION, PLAYEND and ERROR are posted by playback and
// rendering (lParam milliseconds, 0, the error text).
inline constexpr std::uint32_t WM_MUS_LOADED = 0x52D;
inline constexpr std::uint32_t WM_MUS_CHANGED = 0x52E;
inline constexpr std::uint32_t WM_MUS_POSITION = 0x52F;
inline constexpr std::uint32_t WM_MUS_PLAYEND = 0x530;
inline constexpr std::uint32_t WM_MUS_ERROR = 0x531;

// Plug-in dialogs -> main window.
inline constexpr std::uint32_t WM_MUS_GETMBT = 0x5F5;
inline constexpr std::uint32_t WM_MUS_PREVIEWWND = 0x5F6;
inline constexpr std::uint32_t WM_MUS_PREVIEWSOURCE = 0x5F7;
inline constexpr std::uint32_t WM_MUS_PREVIEWEFFECT = 0x5F8;
inline constexpr std::uint32_t WM_MUS_STOPPREVIEW = 0x5F9;

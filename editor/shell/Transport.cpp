// The playback side of the main frame: the transport commands, the relay of the
// engine's notifications to the views, Save Wave and the auditions of the plug-in
// dialogs.
#include "editor/shell/CMainFrame.h"

#include <QLabel>

#include "editor/shell/CPlayBar.h"
#include "editor/shell/EditorSettings.h"
#include "engine/include/DuradMessages.h"

namespace orlim {
namespace {

constexpr const char* kSaveWaveFilter = "Wave Form File(*.wav)|*.wav|All File(*.*)|*.*||";

// Messages above this one that the frame does not handle itself go to the views.
constexpr std::uint32_t kLastWindowsMessage = 1324;

} // namespace

bool CMainFrame::isMusicPlaying() const
{
    return musIsPlaying() != 0;
}

std::intptr_t CMainFrame::onMusMessage(std::uint32_t msg, WParam wParam, LParam lParam)
{
    switch (msg) {
    case WM_MUS_POSTEXT:
        positionPane_->setText(lParam ? QString::fromUtf8(reinterpret_cast<const char*>(lParam))
                                      : QString());
        return 0;
    case WM_MUS_ERROR:
        messagePane_->setText(lParam ? QString::fromUtf8(reinterpret_cast<const char*>(lParam))
                                     : QString());
        return 0;
    case WM_MUS_GETMBT: {
        auto* mbt = reinterpret_cast<MBT*>(lParam);
        if (mbt)
            musGetMBT(music_, static_cast<std::uint32_t>(mbt->measureStart), mbt);
        return 0;
    }
    case WM_MUS_PREVIEWWND:
        effectAuditionWindow_ = reinterpret_cast<WindowHandle>(lParam);
        return 0;
    case WM_MUS_PREVIEWSOURCE:
        return previewSource(static_cast<int>(wParam), reinterpret_cast<const SourceEntry*>(lParam));
    case WM_MUS_PREVIEWEFFECT:
        return previewEffect(static_cast<int>(wParam), reinterpret_cast<const EffectEntry*>(lParam));
    case WM_MUS_STOPPREVIEW:
        musEndPlay();
        musClear(audition_);
        return 0;
    default:
        if (msg > kLastWindowsMessage)
            relay(msg, wParam, lParam);
        return 0;
    }
}

// Playback reports milliseconds, the views place positions as measure + 1 and tick;
// every view gets (measure, tick position).
void CMainFrame::relay(std::uint32_t msg, WParam wParam, LParam lParam)
{
    if (msg == WM_MUS_LOADED)
        playPosition_ = 0;
    if (msg == WM_MUS_POSITION) {
        if (wParam == 0) {
            const std::uint32_t position = musTimeToPos(music_, static_cast<std::uint32_t>(lParam));
            wParam = static_cast<WParam>(musGetMeasureIndex(music_, position));
            lParam = static_cast<LParam>(position);
        } else {
            wParam -= 1;
        }
    }
    if (msg == WM_MUS_PLAYEND)
        playBar_->setPlayPressed(false);
    sendToDescendants(this, msg, wParam, lParam);
    if (msg == WM_MUS_POSITION)
        playPosition_ = static_cast<std::uint32_t>(lParam);
}

void CMainFrame::rebuildRequestFlags()
{
    requestFlags_ = 0;
    if (editorSettings().getInt("Player", "StopOnError", 0) != 0)
        requestFlags_ |= kPlayStopOnError;
    if (editorSettings().getInt("Player", "DisableEffect", 0) != 0)
        requestFlags_ |= kPlayDisableEffect;
}

void CMainFrame::fillFormat(const char* rateEntry, int rateFallback)
{
    const auto channels = static_cast<std::uint16_t>(editorSettings().getInt("PLAYER", "CHANNELS", 2));
    const auto rate = static_cast<std::uint32_t>(editorSettings().getInt("PLAYER", rateEntry, rateFallback));
    WaveFormat& format = playRequest_.format;
    format.formatTag = 1;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.bitsPerSample = 16;
    format.blockAlign = static_cast<std::uint16_t>(channels * 2);
    format.avgBytesPerSec = format.blockAlign * rate;
    format.extraSize = 0;
}

void CMainFrame::play()
{
    if (playBar_->isPlayPressed() || isMusicPlaying())
        return;
    rebuildRequestFlags();
    playRequest_ = PlayRequest{};
    playRequest_.notifyWindow = window();
    playRequest_.music = music_;
    // Every track sounds until the studio view's mute and solo choose otherwise.
    playRequest_.muteMask = nullptr;
    playRequest_.start = playPosition_;
    playRequest_.end = musGetDuradLength(music_);
    fillFormat("PLAYRATE", 22050);
    playRequest_.flags = requestFlags_;
    if (musPlay(&playRequest_))
        playBar_->setPlayPressed(true);
}

void CMainFrame::movePosition(int measure, std::uint32_t position)
{
    playPosition_ = position;
    sendToDescendants(this, WM_MUS_POSITION, static_cast<WParam>(measure),
                      static_cast<LParam>(position));
}

void CMainFrame::rewind()
{
    musEndPlay();
    const int measure = musGetMeasureIndex(music_, playPosition_) - 1;
    if (measure > 0)
        movePosition(measure, musGetMeasurePos(music_, measure));
    else
        movePosition(0, 0);
}

void CMainFrame::forward()
{
    musEndPlay();
    const int measure = musGetMeasureIndex(music_, playPosition_) + 1;
    movePosition(measure, musGetMeasurePos(music_, measure));
}

void CMainFrame::toStart()
{
    musEndPlay();
    movePosition(musGetMeasureIndex(music_, 0), 0);
}

void CMainFrame::saveWave()
{
    if (refusedWhilePlaying())
        return;
    const auto path = askForFile({FileDialogRequest::Kind::Save, kSaveWaveFilter,
                                  defaultFileName(musFileName(music_), ".wav"), "wav"});
    if (!path)
        return;
    playRequest_ = PlayRequest{};
    playRequest_.notifyWindow = window();
    playRequest_.music = music_;
    playRequest_.muteMask = nullptr;
    playRequest_.start = 0;
    playRequest_.end = musGetDuradLength(music_);
    fillFormat("SAVERATE", 22050);
    playRequest_.flags = 0;
    musSaveWave(path->c_str(), &playRequest_);
}

// An audition plays one track of the document, with the entry put in, from the
// audition music. It is refused while anything plays, since the render thread may
// still read the audition music that it would clear.
std::intptr_t CMainFrame::previewSource(int track, const SourceEntry* entry)
{
    if (!entry || playBar_->isPlayPressed() || isMusicPlaying())
        return -1;
    musClear(audition_);
    if (!musCopyTrack(music_, track, audition_, 0))
        return -1;
    const std::uint32_t start = entry->start;
    for (int i = 0; const SourceEntry* source = musGetSource(audition_, 0, i); ++i) {
        if (source->start >= start) {
            if (source->start == start)
                musDeleteSource(audition_, 0, i);
            break;
        }
    }
    // A record the engine refuses would leave the audition playing some other sound.
    if (!musInsertSource(audition_, 0, entry))
        return -1;
    const SourceEntry* next = nullptr;
    for (int i = 0; const SourceEntry* source = musGetSource(audition_, 0, i); ++i) {
        if (source->start > start) {
            next = source;
            break;
        }
    }
    rebuildRequestFlags();
    playRequest_ = PlayRequest{};
    playRequest_.notifyWindow = nullptr;
    playRequest_.music = audition_;
    playRequest_.muteMask = nullptr;
    playRequest_.start = start;
    playRequest_.end = next ? next->start : musGetDuradLength(audition_);
    fillFormat("PLAYRATE", 22050);
    playRequest_.flags = requestFlags_;
    return musPlay(&playRequest_) ? 0 : -1;
}

std::intptr_t CMainFrame::previewEffect(int track, const EffectEntry* entry)
{
    if (!entry || playBar_->isPlayPressed() || isMusicPlaying())
        return -1;
    musClear(audition_);
    if (!musCopyTrack(music_, track, audition_, 0))
        return -1;
    if (!musInsertEffect(audition_, 0, entry))
        return -1;
    rebuildRequestFlags();
    playRequest_ = PlayRequest{};
    playRequest_.notifyWindow = effectAuditionWindow_;
    playRequest_.music = audition_;
    playRequest_.muteMask = nullptr;
    playRequest_.start = entry->start;
    playRequest_.end = entry->start + entry->ticks;
    fillFormat("PLAYRATE", 22050);
    playRequest_.flags = requestFlags_;
    return musPlay(&playRequest_) ? 0 : -1;
}

} // namespace orlim

#include <QLabel>
#include <QSlider>
#include <QToolButton>

#include <algorithm>

#include <cstring>

#include "editor/shell/CPlayBar.h"
#include "editor/shell/EditorSettings.h"
#include "engine/include/DuradMessages.h"
#include "tests/editor/EditorFixture.h"

namespace orlim::testing {
namespace {

using Transport = EditorTest;

// In the default 4/4 a measure is 128 ticks.
constexpr std::uint32_t kMeasure = 128;

TEST_F(Transport, RewindForwardAndToStartMoveThePositionByMeasuresAndTellEveryView)
{
    struct Case {
        const char* name;
        int command;
        std::uint32_t from;
        int measure;
        std::uint32_t position;
    };
    const Case cases[] = {
        {"rewind in measure 0", 32852, 40, 0, 0},
        {"rewind in measure 1", 32852, kMeasure + 5, 0, 0},
        {"rewind in measure 5", 32852, 5 * kMeasure + 77, 4, 4 * kMeasure},
        {"rewind at the start of measure 2", 32852, 2 * kMeasure, 1, kMeasure},
        {"forward from inside measure 0", 32853, 12, 1, kMeasure},
        {"forward past the end", 32853, 40 * kMeasure, 41, 41 * kMeasure},
        {"to start", 32855, 7 * kMeasure + 3, 0, 0},
    };
    const std::vector<RecordingView*> views = addViews();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sendMessage(frame->window(), WM_MUS_POSITION, 1, static_cast<LParam>(c.from));
        ASSERT_EQ(frame->playPosition(), c.from);
        for (RecordingView* view : views)
            view->messages.clear();
        frame->onCommand(c.command);
        EXPECT_EQ(frame->playPosition(), c.position);
        for (RecordingView* view : views)
            EXPECT_EQ(view->messages, (std::vector<ReceivedMessage>{
                                          {WM_MUS_POSITION, static_cast<WParam>(c.measure),
                                           static_cast<LParam>(c.position)}}));
    }
    EXPECT_TRUE(boxes.entries().empty());
}

TEST_F(Transport, APositionFromAViewReachesEveryViewAsMeasureAndTickAndPlayStartsThere)
{
    addLongNote();
    const std::vector<RecordingView*> views = addViews();
    sendMessage(frame->window(), WM_MUS_POSITION, 3, 400);
    for (RecordingView* view : views)
        EXPECT_EQ(view->messages, (std::vector<ReceivedMessage>{{WM_MUS_POSITION, 2, 400}}));
    EXPECT_EQ(frame->playPosition(), 400u);
    frame->onCommand(32848);
    EXPECT_EQ(frame->playRequest().start, 400u);
}

TEST_F(Transport, APlaybackTimeBecomesThePositionItReached)
{
    const std::vector<RecordingView*> views = addViews();
    // 3840 ticks a minute: 3 s are 192 ticks, in measure 1.
    postMessage(frame->window(), WM_MUS_POSITION, 0, 3000);
    QApplication::processEvents();
    for (RecordingView* view : views)
        EXPECT_EQ(view->messagesOf(WM_MUS_POSITION),
                  (std::vector<ReceivedMessage>{{WM_MUS_POSITION, 1, 192}}));
    EXPECT_EQ(frame->playPosition(), 192u);
}

TEST_F(Transport, LoadedResetsThePositionAndEveryEngineNotificationIsRelayed)
{
    sendMessage(frame->window(), WM_MUS_POSITION, 2, 300);
    const std::vector<RecordingView*> views = addViews();
    sendMessage(frame->window(), WM_MUS_LOADED, 0, 0);
    EXPECT_EQ(frame->playPosition(), 0u);
    sendMessage(frame->window(), WM_MUS_CHANGED, 0, reinterpret_cast<LParam>(music));
    for (RecordingView* view : views)
        EXPECT_EQ(view->messages, (std::vector<ReceivedMessage>{
                                      {WM_MUS_LOADED, 0, 0},
                                      {WM_MUS_CHANGED, 0, reinterpret_cast<LParam>(music)}}));
}

TEST_F(Transport, AnErrorGoesToTheMessagePaneAndNoView)
{
    const std::vector<RecordingView*> views = addViews();
    postText(frame->window(), WM_MUS_ERROR, 0, "The Track-1 has not defined a source!");
    QApplication::processEvents();
    EXPECT_EQ(frame->messagePane()->text(), "The Track-1 has not defined a source!");
    for (RecordingView* view : views)
        EXPECT_TRUE(view->messages.empty());
}

TEST_F(Transport, PlayFillsTheRequestFromTheSettingsAndPressesPlayUntilTheEnd)
{
    addLongNote();
    editorSettings().writeInt("Player", "Channels", 1);
    editorSettings().deleteEntry("Player", "PlayRate");
    editorSettings().writeInt("Player", "StopOnError", 1);
    editorSettings().writeInt("Player", "DisableEffect", 1);
    frame->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    EXPECT_TRUE(frame->playBar()->isPlayPressed());
    const PlayRequest& request = frame->playRequest();
    EXPECT_EQ(request.notifyWindow, frame->window());
    EXPECT_EQ(request.music, music);
    EXPECT_EQ(request.start, 0u);
    EXPECT_EQ(request.end, 512u);
    EXPECT_EQ(request.format.formatTag, 1);
    EXPECT_EQ(request.format.channels, 1);
    EXPECT_EQ(request.format.samplesPerSec, 22050u);
    EXPECT_EQ(request.format.bitsPerSample, 16);
    EXPECT_EQ(request.format.blockAlign, 2);
    EXPECT_EQ(request.format.avgBytesPerSec, 44100u);
    EXPECT_EQ(request.format.extraSize, 0);
    EXPECT_EQ(request.flags, kPlayStopOnError | kPlayDisableEffect);
    EXPECT_EQ(frame->requestFlags(), kPlayStopOnError | kPlayDisableEffect);

    frame->onCommand(1120);
    EXPECT_EQ(musIsPlaying(), 0);
    // The end of playback arrives as a posted message.
    while (frame->playBar()->isPlayPressed())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

TEST_F(Transport, PlayOfAnEmptyMusicLeavesTheButtonReleased)
{
    frame->onCommand(32848);
    EXPECT_EQ(musIsPlaying(), 0);
    EXPECT_FALSE(frame->playBar()->isPlayPressed());
}

TEST_F(Transport, TheTimeDisplayShowsMeasureBeatAndTick)
{
    EXPECT_EQ(timeDisplayText(nullptr, 999), "   1:01:00");
    EXPECT_EQ(frame->playBar()->timeText(), "   1:01:00");
    struct Case {
        std::uint32_t position;
        const char* text;
    };
    const Case cases[] = {
        {0, "   1:01:00"},
        {kMeasure + 2 * 32 + 5, "   2:03:05"},
        {1233 * kMeasure + 3 * 32 + 31, "1234:04:31"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        sendMessage(frame->window(), WM_MUS_POSITION, 1, static_cast<LParam>(c.position));
        EXPECT_EQ(frame->playBar()->timeText(), c.text);
    }
}

TEST_F(Transport, TheLevelSliderShowsTheLevelInWholeDecibelsAndSetsIt)
{
    QSlider* slider = frame->playBar()->slider();
    EXPECT_EQ(slider->property("resourceId").toInt(), 96666);
    EXPECT_EQ(slider->minimum(), -30);
    EXPECT_EQ(slider->maximum(), 30);
    EXPECT_EQ(slider->tickInterval(), 5);
    EXPECT_EQ(slider->pageStep(), 1);
    EXPECT_EQ(slider->geometry(), QRect(226, 2, 140, 18));

    struct Case {
        int level;
        int shown;
    };
    for (const Case& c : {Case{-550, -5}, Case{550, 5}, Case{-99, 0}, Case{3000, 30}}) {
        SCOPED_TRACE(c.level);
        musSetLevel(music, c.level);
        sendMessage(frame->window(), WM_MUS_CHANGED, 0, 0);
        EXPECT_EQ(slider->value(), c.shown);
    }

    TempDir files;
    musFileSave(music, files.file("level.rwm").c_str());
    ASSERT_EQ(musIsChanged(music), 0);
    slider->triggerAction(QSlider::SliderPageStepSub);
    EXPECT_EQ(musGetLevel(music), 2900);
    EXPECT_EQ(musIsChanged(music), 1);
}

TEST_F(Transport, TheLevelSliderSpringsBackWhilePlaying)
{
    addLongNote();
    musSetLevel(music, -700);
    sendMessage(frame->window(), WM_MUS_CHANGED, 0, 0);
    frame->onCommand(32848);
    ASSERT_EQ(musIsPlaying(), 1);
    QSlider* slider = frame->playBar()->slider();
    slider->setValue(12);
    EXPECT_EQ(slider->value(), -7);
    EXPECT_EQ(musGetLevel(music), -700);
}

TEST_F(Transport, GetMbtFillsTheRecordForTheMeasureStartItCarries)
{
    MBT mbt{};
    mbt.measureStart = static_cast<std::int32_t>(kMeasure + 40);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_GETMBT, 0, reinterpret_cast<LParam>(&mbt)), 0);
    EXPECT_EQ(mbt.measure, 1);
    EXPECT_EQ(mbt.beat, 1);
    EXPECT_EQ(mbt.tick, 8);
    EXPECT_EQ(mbt.measureStart, static_cast<std::int32_t>(kMeasure));
    EXPECT_EQ(mbt.beats, 4);
    EXPECT_EQ(mbt.beatTicks, 32);
}

std::string sourceText(Durad* durad, int index)
{
    const SourceEntry* entry = musGetSource(durad, 0, index);
    return entry ? std::string(entryDisplayText(entry)) + "@" + std::to_string(entry->start) : "-";
}

TEST_F(Transport, ASourceAuditionReplacesTheSourceAtItsStartOnlyInTheAuditionMusic)
{
    addLongNote();
    const auto first = sourceEntry(0, "Piano");
    const auto second = sourceEntry(256, "Strings");
    ASSERT_EQ(musInsertSource(music, 0, reinterpret_cast<const SourceEntry*>(first.data())), 1);
    ASSERT_EQ(musInsertSource(music, 0, reinterpret_cast<const SourceEntry*>(second.data())), 1);

    const auto trial = sourceEntry(0, "Organ");
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0,
                          reinterpret_cast<LParam>(trial.data())),
              0);
    Durad* audition = frame->auditionMusic();
    EXPECT_EQ(sourceText(audition, 0), "Organ@0");
    EXPECT_EQ(sourceText(audition, 1), "Strings@256");
    EXPECT_EQ(sourceText(audition, 2), "-");
    EXPECT_EQ(sourceText(music, 0), "Piano@0");
    EXPECT_EQ(sourceText(music, 1), "Strings@256");

    const PlayRequest& request = frame->playRequest();
    EXPECT_EQ(request.music, audition);
    EXPECT_EQ(request.notifyWindow, nullptr);
    EXPECT_EQ(request.start, 0u);
    EXPECT_EQ(request.end, 256u);
    EXPECT_FALSE(frame->playBar()->isPlayPressed());
    EXPECT_EQ(musIsPlaying(), 1);
}

TEST_F(Transport, ASourceAuditionIsRefusedWhileAnythingPlaysAndLeavesTheAuditionMusicAlone)
{
    addLongNote();
    const auto trial = sourceEntry(0, "Organ");
    ASSERT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0, reinterpret_cast<LParam>(trial.data())), 0);
    const auto other = sourceEntry(0, "Harp");
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0, reinterpret_cast<LParam>(other.data())), -1);
    EXPECT_EQ(sourceText(frame->auditionMusic(), 0), "Organ@0");

    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_STOPPREVIEW, 0, 0), 0);
    EXPECT_EQ(musIsPlaying(), 0);
    EXPECT_EQ(sourceText(frame->auditionMusic(), 0), "-");

    frame->onCommand(32848);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0, reinterpret_cast<LParam>(other.data())), -1);
}

TEST_F(Transport, AnAuditionThatCannotPlayOrCopyAnswersMinusOne)
{
    addLongNote();
    // A source after the end of the music: nothing to play.
    const auto late = sourceEntry(4096, "Organ");
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0, reinterpret_cast<LParam>(late.data())), -1);
    EXPECT_EQ(musIsPlaying(), 0);
    const auto trial = sourceEntry(0, "Organ");
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 5, reinterpret_cast<LParam>(trial.data())), -1);
    // A record shorter than its head is refused by the engine, so nothing plays.
    auto shortRecord = sourceEntry(0, "Organ");
    const std::uint16_t tooShort = 40;
    std::memcpy(shortRecord.data(), &tooShort, 2);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWSOURCE, 0, reinterpret_cast<LParam>(shortRecord.data())), -1);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWEFFECT, 0, reinterpret_cast<LParam>(shortRecord.data())), -1);
    EXPECT_EQ(musIsPlaying(), 0);
}

TEST_F(Transport, AnEffectAuditionPlaysItsRangeAndReportsToTheDialogWindow)
{
    addLongNote();
    QueueWindow dialog;
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWWND, 0, reinterpret_cast<LParam>(&dialog)), 0);
    const auto effect = entryBytes(64, 128, "effect.dll", "Echo", true);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWEFFECT, 0, reinterpret_cast<LParam>(effect.data())), 0);
    EXPECT_EQ(musGetEffectCount(frame->auditionMusic(), 0), 1);
    EXPECT_EQ(musGetEffectCount(music, 0), 0);
    const PlayRequest& request = frame->playRequest();
    EXPECT_EQ(request.notifyWindow, &dialog);
    EXPECT_EQ(request.start, 64u);
    EXPECT_EQ(request.end, 192u);
    EXPECT_EQ(sendMessage(frame->window(), WM_MUS_PREVIEWEFFECT, 0, reinterpret_cast<LParam>(effect.data())), -1);
    musEndPlay();
}

} // namespace
} // namespace orlim::testing

namespace orlim::testing {
namespace {

std::uint32_t readU32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

std::uint16_t readU16(const std::string& bytes, std::size_t offset)
{
    std::uint16_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 2);
    return value;
}

TEST_F(Transport, SaveWaveWritesTheWholeMusicInTheSavingFormatOfTheSettings)
{
    TempDir files;
    musInsertNote(music, 0, 0, 60, 64);
    ASSERT_EQ(musFileSave(music, files.file("tune.v2.rwm").c_str()), 1);
    editorSettings().writeInt("Player", "Channels", 1);
    editorSettings().writeInt("Player", "SaveRate", 11025);
    sendMessage(frame->window(), WM_MUS_POSITION, 1, 32);
    const std::string target = files.file("tune.wav");
    dialogAnswers.push_back(target);
    frame->onCommand(32877);

    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].filter, "Wave Form File(*.wav)|*.wav|All File(*.*)|*.*||");
    EXPECT_EQ(dialogs[0].defaultSuffix, "wav");
    EXPECT_EQ(dialogs[0].defaultName, files.file("tune.wav"));
    const PlayRequest& request = frame->playRequest();
    EXPECT_EQ(request.start, 0u);
    EXPECT_EQ(request.end, 64u);
    EXPECT_EQ(request.flags, 0);
    EXPECT_EQ(request.notifyWindow, frame->window());

    const std::string wave = readFile(target);
    ASSERT_GE(wave.size(), 46u);
    EXPECT_EQ(wave.substr(0, 4), "RIFF");
    EXPECT_EQ(wave.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(readU32(wave, 16), 18u);
    EXPECT_EQ(readU16(wave, 20), 1);
    EXPECT_EQ(readU16(wave, 22), 1);
    EXPECT_EQ(readU32(wave, 24), 11025u);
    EXPECT_EQ(readU32(wave, 28), 22050u);
    EXPECT_EQ(readU16(wave, 32), 2);
    EXPECT_EQ(readU16(wave, 34), 16);
    EXPECT_EQ(wave.substr(38, 4), "data");
    EXPECT_GT(readU32(wave, 42), 0u);
}

TEST_F(Transport, CancellingTheWaveFileDialogSavesNothing)
{
    musInsertNote(music, 0, 0, 60, 64);
    frame->onCommand(32877);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].defaultName, "");
}

} // namespace
} // namespace orlim::testing

namespace orlim::testing {
namespace {

TEST_F(Transport, ThePlayBarHasItsSlotsInOrderWithOnlyTheTransportButtonsEnabled)
{
    QList<QToolButton*> buttons = frame->playBar()->findChildren<QToolButton*>();
    // The bar's own extension button is not a slot.
    buttons.removeIf([this](QToolButton* b) { return b->parentWidget() == frame->playBar(); });
    std::sort(buttons.begin(), buttons.end(),
              [](QToolButton* a, QToolButton* b) { return a->x() < b->x(); });
    std::vector<int> order;
    std::vector<QString> prompts;
    for (QToolButton* button : buttons) {
        QAction* action = button->defaultAction();
        order.push_back(action ? action->data().toInt() : 0);
        EXPECT_EQ(button->isEnabled(), action != nullptr);
        if (action)
            prompts.push_back(action->statusTip());
    }
    EXPECT_EQ(order, (std::vector<int>{0, 0, 0, 0, 32848, 32855, 32852, 32853, 1120, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(prompts, (std::vector<QString>{"Play the music", "", "Rewind the play positon",
                                             "Forward the play position", "Stop playing"}));
}

TEST_F(Transport, AClickOnPlayDoesNotPressItWhenNothingCanPlay)
{
    QToolButton* play = nullptr;
    for (QToolButton* button : frame->playBar()->findChildren<QToolButton*>())
        if (button->defaultAction() && button->defaultAction()->data().toInt() == 32848)
            play = button;
    ASSERT_NE(play, nullptr);
    play->click();
    EXPECT_FALSE(play->isChecked());
    EXPECT_FALSE(frame->playBar()->isPlayPressed());
}

} // namespace
} // namespace orlim::testing

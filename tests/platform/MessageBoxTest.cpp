#include "platform/MessageBox.h"

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(MessageBox, RecorderKeepsTextCaptionAndButtons)
{
    MessageBoxRecorder recorder;
    EXPECT_EQ(messageBox(nullptr, "Failed to open the file."), MessageAnswer::Ok);
    EXPECT_EQ(messageBox(nullptr, "Save current file?", "Orlim", MessageButtons::YesNo),
              MessageAnswer::Yes);
    const auto entries = recorder.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "Failed to open the file.");
    EXPECT_EQ(entries[0].caption, "Orlim");
    EXPECT_EQ(entries[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(entries[1].buttons, MessageButtons::YesNo);
}

TEST(MessageBox, RecorderAnswersAsToldAndRestoresThePreviousPresenter)
{
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder inner;
        inner.answerWith(MessageAnswer::No);
        EXPECT_EQ(messageBox(nullptr, "q", "Orlim", MessageButtons::YesNo), MessageAnswer::No);
        EXPECT_EQ(inner.texts().size(), 1u);
    }
    messageBox(nullptr, "after");
    EXPECT_EQ(outer.texts(), std::vector<std::string>{"after"});
}

} // namespace
} // namespace orlim

#include "platform/DateText.h"

#include <cstdlib>

#include <gtest/gtest.h>

namespace orlim {
namespace {

TEST(DateText, MatchesTheAsctimeLayoutByteForByte)
{
    setenv("TZ", "UTC", 1);
    tzset();
    // 2026-03-05 07:08:09 UTC, a Thursday: the day of the month is padded with a blank.
    EXPECT_EQ(asctimeText(1772694489), "Thu Mar  5 07:08:09 2026\n");
    EXPECT_EQ(asctimeText(0), "Thu Jan  1 00:00:00 1970\n");
    EXPECT_EQ(currentDateText().size(), 25u);
}

} // namespace
} // namespace orlim

#include "platform/DateText.h"

#include <cstdio>

namespace orlim {

std::string asctimeText(std::time_t time)
{
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[local.tm_wday % 7],
                  kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                  local.tm_sec, 1900 + local.tm_year);
    return text;
}

std::string currentDateText()
{
    return asctimeText(std::time(nullptr));
}

} // namespace orlim

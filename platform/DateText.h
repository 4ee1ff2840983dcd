#pragma once
// Dates in the C library's asctime form: "Www Mmm dd hh:mm:ss yyyy\n".

#include <ctime>
#include <string>

namespace orlim {

// The asctime text of `time` in local time, with English names whatever the locale.
std::string asctimeText(std::time_t time);

// The asctime text of now.
std::string currentDateText();

} // namespace orlim

#pragma once

#include <cstddef>
#include <string_view>

// The texts of stored date-time, date and time values as their fields show them, in
// UTF-8 bytes without a QString (for writers that turn many values into bytes): a view
// of `raw` or of `scratch`.
constexpr size_t kDateTimeTextMax = 19;
std::string_view DateTimeText(std::string_view raw, char (&scratch)[kDateTimeTextMax]);
std::string_view DateText(std::string_view raw, char (&scratch)[kDateTimeTextMax]);
std::string_view TimeText(std::string_view raw);

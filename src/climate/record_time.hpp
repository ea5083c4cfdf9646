#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The times of a wind record, as ISO 8601 writes them.

namespace littoral {

struct RecordTime {
  std::int64_t instant = 0;  // seconds since 1970-01-01 00:00 UTC, the offset applied
  std::int32_t year = 0;     // the calendar year as written
};

// Reads a date (2016-01-09), optionally followed by T or a blank and hh:mm or hh:mm:ss, and
// then optionally by Z or an offset (+01:00, +0100, +01, or with -); blanks around it are
// ignored. A date alone is its midnight. Nothing for any other text or an impossible date.
std::optional<RecordTime> readRecordTime(std::string_view text);

// The time `instant` seconds after 1970-01-01 00:00 as "2016-01-09 17:00:00".
std::string writeRecordTime(std::int64_t instant);

}  // namespace littoral

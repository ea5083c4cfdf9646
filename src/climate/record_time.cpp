#include "record_time.hpp"
#include "csv_text.hpp"

#include <cstdio>

namespace littoral {
namespace {

bool isLeap(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(std::int64_t year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar (H. Hinnant's
// days_from_civil).
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// Reads exactly `count` digits at `at` into `value`.
[[gnu::always_inline]] inline bool readDigits(std::string_view text, std::size_t& at,
                                              std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char c = text[at + i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  at += count;
  return true;
}

[[gnu::always_inline]] inline bool readChar(std::string_view text, std::size_t& at, char expected) {
  if (at >= text.size() || text[at] != expected) return false;
  ++at;
  return true;
}

// The offset east of UTC in seconds: Z, +hh:mm, +hhmm or +hh, with + or -.
std::optional<std::int64_t> readOffset(std::string_view text, std::size_t& at) {
  if (readChar(text, at, 'Z')) return 0;
  if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return std::nullopt;
  const int sign = text[at] == '-' ? -1 : 1;
  ++at;
  int hours = 0;
  int minutes = 0;
  if (!readDigits(text, at, 2, hours) || hours > 23) return std::nullopt;
  if (at < text.size()) {
    readChar(text, at, ':');
    if (!readDigits(text, at, 2, minutes) || minutes > 59) return std::nullopt;
  }
  return sign * (hours * 3600 + minutes * 60);
}

}  // namespace

std::optional<RecordTime> readRecordTime(std::string_view text) {
  text = trimBlanks(text);
  std::size_t at = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  if (!readDigits(text, at, 4, year) || !readChar(text, at, '-') ||
      !readDigits(text, at, 2, month) || !readChar(text, at, '-') ||
      !readDigits(text, at, 2, day)) {
    return std::nullopt;
  }
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
  int hour = 0;
  int minute = 0;
  int second = 0;
  if (at < text.size() && (text[at] == 'T' || text[at] == ' ')) {
    ++at;
    if (!readDigits(text, at, 2, hour) || !readChar(text, at, ':') ||
        !readDigits(text, at, 2, minute) || hour > 23 || minute > 59) {
      return std::nullopt;
    }
    if (readChar(text, at, ':') && (!readDigits(text, at, 2, second) || second > 59)) {
      return std::nullopt;
    }
  }
  std::int64_t offset = 0;
  if (at < text.size()) {
    const std::optional<std::int64_t> given = readOffset(text, at);
    if (!given || at != text.size()) return std::nullopt;
    offset = *given;
  }
  RecordTime time;
  time.year = year;
  time.instant =
      daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
  return time;
}

std::string writeRecordTime(std::int64_t instant) {
  // H. Hinnant's civil_from_days.
  std::int64_t days = instant / 86400;
  std::int64_t seconds = instant % 86400;
  if (seconds < 0) {
    seconds += 86400;
    --days;
  }
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
  const std::int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2);
  char text[48];
  const int length = std::snprintf(
      text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", static_cast<long long>(year),
      static_cast<long long>(month), static_cast<long long>(day),
      static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
      static_cast<long long>(seconds % 60));
  return std::string(text, std::size_t(length));
}

}  // namespace littoral

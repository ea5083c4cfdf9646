#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// A number answered at a prompt: a sign, digits with an optional point (12, 12.5, .5), and an
// optional exponent after E, e, D or d (1.25D1). The console reads its answers by these rules,
// and the storm table its fields.

namespace littoral {

enum class NumberReading { number, notNumber, outOfRange };

// The nearest single to the number. Beyond the single range it is outOfRange; a result that
// underflows is taken as it comes.
NumberReading readRealText(std::string_view text, float& value);

// The nearest double to the number, by the same rules; beyond the double range it is outOfRange.
NumberReading readRealText(std::string_view text, double& value);

// The number read as a double and truncated toward zero: 1.5 gives 1, -2.7 gives -2. Nothing for
// text that is not a number or a number beyond the integer range.
std::optional<std::int32_t> readIntegerText(std::string_view text);

// A double truncated toward zero, as readIntegerText takes the number it read. Nothing beyond the
// integer range, for an infinity or NaN.
std::optional<std::int32_t> truncatedInteger(double number);

// The quick way of the readers above for a plain decimal: a sign, digits and a point, no
// exponent, the digits making an integer of at most 2^24 with at most 10 after the point for a
// single (12.5, -0.0035), at most 2^53 with at most 22 for a double. False, value untouched, for
// any other text.
bool readPlainDecimal(std::string_view text, float& value);
bool readPlainDecimal(std::string_view text, double& value);

}  // namespace littoral

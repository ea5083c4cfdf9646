#pragma once

#include <string>
#include <vector>

namespace littoral {
// One expected record: its text and the values after it. A value is given as
//   "1000.000"  the exact characters of a real field, without its blanks;
//   "~2.1614"   a worked figure: the printed value must agree with it to its last digit;
//   "#3"        an integer field holding 3;
//   "*"         any real field.
struct Rec {
  std::string text;
  std::vector<std::string> values = {};
};

// Checks that the text holds exactly these records, each ended by CR LF, with the text items
// as given and every value in its 15- (real) or 12-position (integer) field.
void expectRecords(const std::string& actual, const std::vector<Rec>& expected);

// The same for the first records of the text only; later records may follow.
void expectLeadingRecords(const std::string& actual, const std::vector<Rec>& expected);

// The records of the text, without their line ends.
std::vector<std::string> splitRecords(const std::string& text);

// How many records of the text start with " " followed by the given text.
int countRecords(const std::string& text, const std::string& recordText);

}  // namespace littoral

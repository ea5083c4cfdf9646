#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A site's fetch by direction: for each listed direction the fetch over water and, optionally,
// the mean depth along it.

namespace littoral {

struct FetchRow {
  double direction = 0;  // degrees true
  float fetch = 0;       // in the fetch table's unit; zero where the direction points at land
  std::optional<float> depth;
};

struct FetchTable {
  std::vector<FetchRow> rows;

  // The row of the listed direction nearest to `direction` around the circle; of two equally
  // near, the one listed first. The table has a row.
  const FetchRow& nearest(double direction) const;
};

// Reads a fetch table's CSV text: columns `direction`, `fetch` and optionally `depth` (an empty
// depth is none). False with the error naming the line when it cannot be read, a fetch is
// negative or the table has no row.
bool readFetchTable(std::string_view text, FetchTable& table, std::string& error);

// Adds a row from the texts of its fields (an empty depth is none); false with the error
// naming the column when one cannot be read.
bool addFetchRow(std::string_view direction, std::string_view fetch, std::string_view depth,
                 FetchTable& table, std::string& error);

}  // namespace littoral

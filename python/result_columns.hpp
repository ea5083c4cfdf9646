#pragma once

// The result columns of many storms as the Python package's frames take them, for the table's
// rows and the climate's storms alike.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <limits>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "exp_kernels.hpp"
#include "littoral/storm.hpp"
#include "storm_text.hpp"
#include "unit_names.hpp"

namespace littoral {

namespace py = pybind11;

// The value a frame holds for a stored single: the single itself, a zero of either sign as +0,
// which the table prints as 0.0000000E+00.
inline double frameValue(float value) { return value == 0.0f ? 0.0 : double(value); }

// The frame's value of each of a storm's reals, NaN where it was not computed; present holds the
// reals' presence 64 at a time.
inline void writeFrameRow(const StormValues& values, const std::uint64_t (&present)[2],
                          std::array<double, kStormValueCount>& row) {
  for (std::size_t i = 0; i < kStormValueCount; ++i) {
    row[i] = (present[i / 64] >> (i % 64)) & 1 ? frameValue(values.values[i])
                                               : std::numeric_limits<double>::quiet_NaN();
  }
}

#ifdef LITTORAL_EXP_LANES_X86
LITTORAL_AVX512_CODE_BEGIN

// writeFrameRow eight reals at a time, where the processor has AVX-512.
LITTORAL_AVX512 inline void writeFrameRowAvx512(const StormValues& values,
                                                const std::uint64_t (&present)[2],
                                                std::array<double, kStormValueCount>& row) {
  const __m512d notComputed = _mm512_set1_pd(std::numeric_limits<double>::quiet_NaN());
  for (std::size_t first = 0; first < kStormValueCount; first += 8) {
    const auto inRow = __mmask8((1u << std::min<std::size_t>(8, kStormValueCount - first)) - 1);
    const __m512d value = _mm512_cvtps_pd(
        _mm512_castps512_ps256(_mm512_maskz_loadu_ps(inRow, values.values.data() + first)));
    const __mmask8 zero = _mm512_cmp_pd_mask(value, _mm512_setzero_pd(), _CMP_EQ_OQ);
    const __m512d positive = _mm512_mask_mov_pd(value, zero, _mm512_setzero_pd());
    const auto computed = __mmask8(present[first / 64] >> (first % 64));
    _mm512_mask_storeu_pd(row.data() + first, inRow,
                          _mm512_mask_mov_pd(notComputed, computed, positive));
  }
}

LITTORAL_AVX512_CODE_END
#endif

// The result columns of `count` rows, filled a row at a time and then handed to Python: the
// reals as one float64 block, column by column in memory so that each result column of the frame
// is contiguous (NaN where a value was not computed), passes (-1 where no storm ran), and units,
// limited_by, error, warnings and error_cause as text. The arrays are made with the interpreter
// lock held; keep() and refuse() write only their own row, and put the row's texts in the
// thread's ChunkTexts, which handOn() adds to the columns' under a lock once a chunk, so that
// threads can fill distinct rows without the interpreter lock, and keep nothing of a storm but
// its text columns.
class ResultColumns {
  // The text columns as one block of Python objects, column by column in memory: one block of
  // a few megabytes is given huge pages where five columns of their own would each take fresh
  // pages a few rows at a time. Each row of each column is set once.
  struct TextColumns {
    static constexpr std::size_t kCount = 5;
    explicit TextColumns(std::size_t count)
        : rows(count),
          block(py::dtype("O"), std::vector<py::ssize_t>{py::ssize_t(kCount * count)}) {
      slots = static_cast<PyObject**>(block.mutable_data());
      for (std::size_t slot = 0; slot < kCount * count; ++slot) slots[slot] = nullptr;
    }
    void set(std::size_t column, std::size_t row, const py::object& value) {
      PyObject*& slot = slots[column * rows + row];
      Py_XDECREF(slot);
      slot = value.inc_ref().ptr();
    }
    // The column as a numpy array of its own that views the block.
    py::array column(std::size_t column) const {
      return py::array(block.dtype(), {py::ssize_t(rows)}, {py::ssize_t(sizeof(PyObject*))},
                       slots + column * rows, block);
    }
    std::size_t rows;
    py::array block;
    PyObject** slots;
  };

  // The texts of the rows that have one, as (row, text) in one block of text: a row without an
  // error, warnings or an error cause takes no memory here, and a row with one no memory of its
  // own (a text held for every row took fresh pages a row).
  class RowTexts {
   public:
    // Room for rows' texts of bytesPerRow on average, taken at once: room that is not written
    // takes no pages, and a block grown by doubling copies its text each time.
    void reserve(std::size_t rows, std::size_t bytesPerRow) {
      entries_.reserve(rows);
      text_.reserve(rows * bytesPerRow);
    }
    void add(std::size_t row, std::string_view text) {
      entries_.push_back({row, text_.size(), text.size()});
      text_.append(text);
    }
    // Adds the texts of `chunk`, and empties it (keeping its room).
    void addAll(RowTexts& chunk) {
      for (const Entry& entry : chunk.entries_) {
        entries_.push_back({entry.row, text_.size() + entry.at, entry.size});
      }
      text_.append(chunk.text_);
      chunk.entries_.clear();
      chunk.text_.clear();
    }
    // Calls visit(row, text) for each text, in the order the threads added them.
    template <class Visit>
    void forEach(Visit visit) const {
      for (const Entry& entry : entries_) {
        visit(entry.row, std::string_view(text_).substr(entry.at, entry.size));
      }
    }

   private:
    struct Entry {
      std::size_t row;
      std::size_t at;  // in text_
      std::size_t size;
    };
    std::vector<Entry> entries_;
    std::string text_;
  };

  // The texts of the rows of a chunk, kept by the thread that fills them until handOn(): a lock
  // a row cost about 4 % of a run on one thread.
 public:
  struct ChunkTexts {
    RowTexts errors;
    RowTexts warnings;
    RowTexts causes;
  };

 private:
  // A storm's value in each real column.
  static void writeReals(const StormValues& values, std::array<double, kStormValueCount>& reals) {
    // The presence of the values a word of 64 at a time.
    static_assert(kStormValueCount <= 128);
    const std::bitset<kStormValueCount> lowBits(~std::uint64_t{0});
    const std::uint64_t present[2] = {(values.present & lowBits).to_ullong(),
                                      (values.present >> 64).to_ullong()};
#ifdef LITTORAL_EXP_LANES_X86
    static const bool avx512 = __builtin_cpu_supports("avx512f");
    if (avx512) {
      writeFrameRowAvx512(values, present, reals);
    } else {
      writeFrameRow(values, present, reals);
    }
#else
    writeFrameRow(values, present, reals);
#endif
  }

 public:
  explicit ResultColumns(std::size_t count)
      : count_(count),
        stride_((count + kDoublesPerLine - 1) / kDoublesPerLine * kDoublesPerLine),
        realsBlock_(py::ssize_t(stride_ * kStormValueCount + kDoublesPerLine - 1)),
        passes_(py::ssize_t(count)),
        realsOut_(lineAligned(realsBlock_.mutable_data())),
        passesOut_(passes_.mutable_data()),
        ran_(count),
        units_(count),
        limits_(count) {
    warnings_.reserve(count, kWarningBytesPerRow);
  }

  // The results of a storm that ran.
  void keep(std::size_t row, const StormAnswers& answers, const StormValues& values,
            ChunkTexts& texts) {
    std::array<double, kStormValueCount> reals;
    writeReals(values, reals);
    double* at = realsOut_ + row;
    for (std::size_t i = 0; i < kStormValueCount; ++i, at += stride_) *at = reals[i];
    keepAllButReals(row, answers, values, texts);
  }

  // Whether keepEight takes the rows from `row` on: eight rows that fill a line of each column.
  static bool fillsLines(std::size_t row) { return row % kDoublesPerLine == 0; }

  // The results of eight storms that ran, those of the rows from `row` on (fillsLines(row)).
  // Each column takes the eight rows' reals as one line of memory, stored past the cache: the
  // block is too large to stay there, and a line stored whole need not be read first. keep()
  // writes the rows of the other lines, so that no line is stored both ways.
  void keepEight(std::size_t row, std::span<const StormAnswers> answers,
                 std::span<const StormValues> values, ChunkTexts& texts) {
    std::array<std::array<double, kStormValueCount>, kDoublesPerLine> reals;
    for (std::size_t storm = 0; storm < 8; ++storm) writeReals(values[storm], reals[storm]);
    double* at = realsOut_ + row;
    for (std::size_t i = 0; i < kStormValueCount; ++i, at += stride_) {
      alignas(64) std::array<double, kDoublesPerLine> line;
      for (std::size_t storm = 0; storm < line.size(); ++storm) line[storm] = reals[storm][i];
      storeLine(line, at);
    }
    for (std::size_t storm = 0; storm < 8; ++storm) {
      keepAllButReals(row + storm, answers[storm], values[storm], texts);
    }
  }

  // Makes the lines keepEight stored past the cache seen by every thread, as they are before
  // a thread hands its rows on.
  static void finishLines() {
#ifdef __SSE2__
    _mm_sfence();
#endif
  }

  void keepAllButReals(std::size_t row, const StormAnswers& answers, const StormValues& values,
                       ChunkTexts& texts) {
    passesOut_[row] = values.passes;
    ran_[row] = true;
    units_[row] = values.units;
    limits_[row] = values.limitedBy;
    if (values.warnings.any()) texts.warnings.add(row, warningsTextInPlace(answers, values));
    if (!values.error.empty()) {
      texts.errors.add(row, values.error);
      texts.causes.add(row, errorCauseText(answers, values));
    }
  }

  // A row whose answers could not be read, with why.
  void refuse(std::size_t row, std::string_view error, ChunkTexts& texts) {
    for (std::size_t i = 0; i < kStormValueCount; ++i) {
      realsOut_[i * stride_ + row] = std::numeric_limits<double>::quiet_NaN();
    }
    passesOut_[row] = -1;
    texts.errors.add(row, error);
  }

  // Adds a chunk's texts to the columns', and empties them.
  void handOn(ChunkTexts& texts) {
    const std::lock_guard<std::mutex> lock(textsMutex_);
    errors_.addAll(texts.errors);
    warnings_.addAll(texts.warnings);
    causes_.addAll(texts.causes);
  }

  // The columns as a dict of "reals", "passes" and the text columns' names (each a numpy array
  // of Python texts, as a frame's column of text holds them), and "systems", the names of the
  // unit systems in the units column, each once, with `everyRow(i)` called before
  // each row's text and each text of a row (Python's signal checks) and `text` making a Python text
  // of an error. Needs the interpreter lock.
  template <class EveryRow, class Text>
  py::dict take(EveryRow everyRow, Text text) const {
    enum : std::size_t { kUnits, kLimits, kErrors, kWarnings, kCauses };
    TextColumns texts(count_);
    // The names and the empty text are made once as Python texts and shared by the rows.
    std::vector<std::pair<const char*, py::str>> names;
    auto nameText = [&names](const char* name) -> const py::str& {
      for (const auto& [known, pythonText] : names) {
        if (known == name) return pythonText;
      }
      return names.emplace_back(name, py::str(name)).second;
    };
    const py::str empty("");
    std::array<bool, 3> seen{};  // by UnitSystem
    for (std::size_t row = 0; row < count_; ++row) {
      everyRow(row);
      if (ran_[row]) seen[static_cast<std::size_t>(units_[row])] = true;
      texts.set(kUnits, row, ran_[row] ? nameText(unitsName(units_[row])) : empty);
      texts.set(kLimits, row, ran_[row] ? nameText(limitName(limits_[row])) : empty);
      texts.set(kErrors, row, empty);
      texts.set(kWarnings, row, empty);
      texts.set(kCauses, row, empty);
    }
    std::size_t item = 0;
    const auto setTexts = [&](std::size_t column, const RowTexts& rowTexts, auto makeText) {
      rowTexts.forEach([&](std::size_t row, std::string_view rowText) {
        everyRow(item++);
        texts.set(column, row, makeText(rowText));
      });
    };
    const auto pythonText = [](std::string_view words) {
      return py::str(words.data(), words.size());
    };
    setTexts(kErrors, errors_, text);
    setTexts(kWarnings, warnings_, pythonText);
    setTexts(kCauses, causes_, pythonText);
    py::dict columns;
    // The reals by row and column: each column's rows one after another, from a line's start.
    columns["reals"] =
        py::array_t<double>({py::ssize_t(count_), py::ssize_t(kStormValueCount)},
                            {py::ssize_t(sizeof(double)), py::ssize_t(stride_ * sizeof(double))},
                            realsOut_, realsBlock_);
    columns["passes"] = passes_;
    columns["units"] = texts.column(kUnits);
    columns["limited_by"] = texts.column(kLimits);
    columns["error"] = texts.column(kErrors);
    columns["warnings"] = texts.column(kWarnings);
    columns["error_cause"] = texts.column(kCauses);
    py::list systems;
    for (const UnitSystem units : {UnitSystem::none, UnitSystem::us, UnitSystem::si}) {
      if (seen[static_cast<std::size_t>(units)]) systems.append(nameText(unitsName(units)));
    }
    columns["systems"] = systems;
    return columns;
  }

 private:
  static constexpr std::size_t kDoublesPerLine = 8;

  // The first double of the block that starts a line of memory (64 bytes).
  static double* lineAligned(double* block) {
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    return block + (-address % (kDoublesPerLine * sizeof(double))) / sizeof(double);
  }

  // Stores a line of reals at `at`, the start of a line, past the cache where the processor can.
  static void storeLine(const std::array<double, kDoublesPerLine>& line, double* at) {
#ifdef __SSE2__
    for (std::size_t i = 0; i < kDoublesPerLine; i += 2) {
      _mm_stream_pd(at + i, _mm_load_pd(line.data() + i));
    }
#else
    std::copy(line.begin(), line.end(), at);
#endif
  }

  std::size_t count_;
  std::size_t stride_;  // from a column's first row to the next column's: count_ up to a line
  py::array_t<double> realsBlock_;
  py::array_t<std::int64_t> passes_;
  double* realsOut_;
  std::int64_t* passesOut_;
  std::vector<char> ran_;  // a byte each: rows filled on different threads share no word
  std::vector<UnitSystem> units_;
  std::vector<GrowthLimit> limits_;
  // Warnings are common (about half the rows of a realistic table, 90 bytes each on average).
  static constexpr std::size_t kWarningBytesPerRow = 64;
  std::mutex textsMutex_;
  RowTexts errors_;
  RowTexts warnings_;
  RowTexts causes_;
};

}  // namespace littoral

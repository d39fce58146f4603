// Information arrays: for each kind, one contiguous block of 16-bit words
// holding one record per registered operation (abi/Operations.h gives the
// record's layout and the menu-id rule), in code order, with nothing after the
// last. They are made from the catalogue's rows at compile time.
#ifndef TALLYRA_EXTENSION_INFOARRAY_H_
#define TALLYRA_EXTENSION_INFOARRAY_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "abi/Operations.h"
#include "extension/Catalogue.h"

namespace tallyra {

// The number of words of the information array of `rows`.
template <std::size_t N>
constexpr std::size_t InfoWordCount(const OperationEntry (&rows)[N]) {
  std::size_t words = 0;
  for (const OperationEntry& row : rows) words += 5 + 2 * row.param_count;
  return words;
}

// The words of the kind's information array; Words is InfoWordCount(rows).
template <std::size_t Words, std::size_t N>
constexpr std::array<uint16_t, Words> MakeInfoArray(const OperationEntry (&rows)[N],
                                                    OperationKind kind) {
  std::array<uint16_t, Words> words{};
  std::size_t at = 0;
  for (std::size_t code = 0; code < N; ++code) {
    const std::size_t n = rows[code].param_count;
    words[at++] = MenuIdOf(kind, code);
    words[at++] = MenuIdOf(kind, code);
    words[at++] = static_cast<uint16_t>(code);
    words[at++] = rows[code].flags;
    words[at++] = static_cast<uint16_t>(n);
    for (std::size_t j = 0; j < n; ++j) words[at++] = rows[code].params[j].type;
    for (std::size_t j = 0; j < n; ++j) words[at++] = TitleIdOf(kind, code, j);
  }
  return words;
}

// Walks at most `records` records of `array` from the first and answers the
// first whose code word equals `code`, or null when none does (or when array
// is null). The walk never passes the last record.
const uint16_t* FindInfoRecord(const uint16_t* array, std::size_t records, uint16_t code);

// The same walk by menu id: the code of the first record that carries the
// menu id, or -1.
int FindCodeByMenuId(const uint16_t* array, std::size_t records, uint16_t menu_id);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_INFOARRAY_H_

// Information arrays: for each kind, one contiguous block of 16-bit words
// holding one record per registered operation, in code order, with nothing
// after the last. The record of the operation with code i and n parameters:
//
//   word 0        menu id (26000/25000/27000 + 10*i for conditions/actions/expressions)
//   word 1        string id, the same value
//   word 2        the code i
//   word 3        the low 16 bits of the flags
//   word 4        n
//   words 5..4+n  the parameter type codes
//   words 5+n..   the parameter title ids (menu id + 1 + j; 0 for expressions)
//
// so a record is 5 + 2n words long and the next one follows at once.
#ifndef TALLYRA_REGISTRY_INFOARRAY_H_
#define TALLYRA_REGISTRY_INFOARRAY_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "registry/AceRegistry.h"

uint16_t MenuIdOf(AceKind kind, std::size_t code);
uint16_t TitleIdOf(AceKind kind, std::size_t code, std::size_t param);

// The words of the kind's information array, built from `registry`.
std::vector<uint16_t> BuildInfoArray(const AceRegistry& registry, AceKind kind);

// A read-only view of one record of an information array.
class InfoRecord {
 public:
  explicit InfoRecord(const uint16_t* words) : words_(words) {}

  const uint16_t* words() const { return words_; }
  uint16_t menuId() const { return words_[0]; }
  uint16_t stringId() const { return words_[1]; }
  uint16_t code() const { return words_[2]; }
  uint16_t flags() const { return words_[3]; }
  uint16_t paramCount() const { return words_[4]; }
  uint16_t paramType(std::size_t j) const { return words_[5 + j]; }
  uint16_t titleId(std::size_t j) const { return words_[5 + paramCount() + j]; }
  std::size_t wordCount() const { return 5 + 2 * std::size_t{paramCount()}; }
  InfoRecord next() const { return InfoRecord(words_ + wordCount()); }

 private:
  const uint16_t* words_;
};

// Walks at most `records` records of `array` from the first and answers the
// first whose code word equals `code`, or null when none does (or when array
// is null). The walk never passes the last record.
const uint16_t* FindInfoRecord(const uint16_t* array, std::size_t records, uint16_t code);

// The same walk by menu id: the code of the first record that carries the
// menu id, or -1.
int FindCodeByMenuId(const uint16_t* array, std::size_t records, uint16_t menuId);

#endif  // TALLYRA_REGISTRY_INFOARRAY_H_

// What the host reads of the object's operations, beside the records of
// abi/HostAbi.h: the three kinds, the type codes of parameters, the flags of
// an operation, the layout of an information record, the rule that gives each
// operation its menu id and the selectors of the kinds' menu resources.
//
// The module writes these values and the simulated host and tallyra read
// them; all three take them from here, so that no side restates them.
#ifndef TALLYRA_ABI_OPERATIONS_H_
#define TALLYRA_ABI_OPERATIONS_H_

#include <cstddef>
#include <cstdint>

#include "abi/KindArray.h"
#include "abi/OperationKind.h"

namespace tallyra {

// Type codes of the parameters of conditions and actions.
constexpr uint16_t kTypeNumber = 22;  // read as an integer, or as a float where declared so
constexpr uint16_t kTypeText = 45;
// Type codes of the parameters of expressions.
constexpr uint16_t kTypeExpressionInteger = 1;
constexpr uint16_t kTypeExpressionNumber = 2;  // read as an integer by its one user
constexpr uint16_t kTypeExpressionText = 3;

// Whether a parameter of this type takes a text (else it takes a number).
constexpr bool TypeTakesText(uint16_t type) {
  return type == kTypeText || type == kTypeExpressionText;
}

// Flags of a condition that compares two numbers.
constexpr uint16_t kConditionComparison = 0x220;
// Flags of an expression: the kind of its result.
constexpr uint16_t kExpressionResultInteger = 0;
constexpr uint16_t kExpressionResultText = 1;
constexpr uint16_t kExpressionResultNumber = 2;

// The menu id of an operation: 26000, 25000 or 27000 (conditions, actions,
// expressions) + 10 * code. It is also the operation's string id, and the
// command id of its item in the kind's menu.
constexpr uint16_t MenuIdOf(OperationKind kind, std::size_t code) {
  constexpr KindArray<std::size_t> kBase = {{26000, 25000, 27000}};
  return static_cast<uint16_t>(kBase[kind] + 10 * code);
}

// The title id of parameter `param`: the menu id + 1 + param for conditions
// and actions, 0 for expressions (whose titles the host asks for by code).
constexpr uint16_t TitleIdOf(OperationKind kind, std::size_t code, std::size_t param) {
  return kind == OperationKind::kExpression
             ? 0
             : static_cast<uint16_t>(MenuIdOf(kind, code) + 1 + param);
}

// One record of an information array, a run of 16-bit words:
//
//   word 0        menu id
//   word 1        string id, the same value
//   word 2        the code (the host is handed the record from this word on)
//   word 3        the low 16 bits of the flags
//   word 4        n, the number of parameters
//   words 5..4+n  the parameter type codes
//   words 5+n..   the parameter title ids
//
// so a record is 5 + 2n words long and the next one follows at once.
// InfoRecord is a read-only view of one; it owns nothing.
class InfoRecord {
 public:
  // The position of the code word, where the host's view of a record begins.
  static constexpr std::size_t kCodeWord = 2;

  explicit InfoRecord(const uint16_t* words) : words_(words) {}

  const uint16_t* words() const { return words_; }
  uint16_t menu_id() const { return words_[0]; }
  uint16_t string_id() const { return words_[1]; }
  uint16_t code() const { return words_[kCodeWord]; }
  uint16_t flags() const { return words_[3]; }
  uint16_t param_count() const { return words_[4]; }
  uint16_t param_type(std::size_t j) const { return words_[5 + j]; }
  uint16_t title_id(std::size_t j) const { return words_[5 + param_count() + j]; }
  std::size_t word_count() const { return 5 + 2 * std::size_t{param_count()}; }
  InfoRecord next() const { return InfoRecord(words_ + word_count()); }

 private:
  const uint16_t* words_;
};

}  // namespace tallyra

#endif  // TALLYRA_ABI_OPERATIONS_H_

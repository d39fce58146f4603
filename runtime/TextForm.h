// The text form of a whole list: what "asString$(" hands back. Each element
// is written as ElementText (runtime/NumberText.h) writes it.
#ifndef TALLYRA_RUNTIME_TEXTFORM_H_
#define TALLYRA_RUNTIME_TEXTFORM_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "lists/List.h"

namespace tallyra {

// A list's text form holds at most this many bytes before its closing marks:
// past it the text is cut like a list longer than the maximum asked for. This
// bounds the memory and time of one "asString$(" however long the list (an
// unbounded list with a negative maximum, a subset of two thousand million).
constexpr std::size_t kMaxSetTextBytes = std::size_t{16} << 20;

// "[" then the texts of elements 0 .. n-1 separated by ", " then "]", where n
// is the list's length; when the length (read as unsigned, so an unbounded
// list is longer than any maximum) exceeds max_length (read as unsigned, so a
// negative maximum is a very large one), or when the next element would take
// the text past kMaxSetTextBytes, or when the budget runs out while an element
// is read or written, the shown elements are followed by ", ... " before the
// "]". Each shown element is read once, in index order.
std::string SetText(List& list, int32_t max_length, WorkBudget& budget);

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_TEXTFORM_H_

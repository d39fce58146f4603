#include "lists/Element.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <new>
#include <string>

namespace tallyra {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// White space as the classic locale has it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

Element Element::Text(std::string_view value) {
  Element e;
  e.kind_ = kElementText;
  if (value.empty()) return e;
  auto* text = static_cast<SharedText*>(::operator new(sizeof(SharedText) + value.size()));
  text->references = 1;
  text->size = value.size();
  std::memcpy(text + 1, value.data(), value.size());
  e.payload_.text = text;
  return e;
}

void Element::Free(SharedText* text) noexcept { ::operator delete(text); }

double ReadLeadingDecimal(std::string_view text, std::size_t* looked) {
  std::size_t i = 0;
  const std::size_t size = text.size();
  while (i < size && IsSpace(text[i])) ++i;

  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t start = i;  // first character of the unsigned number
  std::size_t digits = 0;
  while (i < size && IsDigit(text[i])) ++i, ++digits;
  if (i < size && text[i] == '.') {
    ++i;
    while (i < size && IsDigit(text[i])) ++i, ++digits;
  }
  std::size_t furthest = i;  // the last position looked at (size: the end)
  if (digits == 0) {
    if (looked != nullptr) *looked = furthest;
    return 0.0;
  }
  std::size_t end = i;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < size && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < size && IsDigit(text[j])) {
      while (j < size && IsDigit(text[j])) ++j;
      end = j;
    }
    furthest = j;
  }
  if (looked != nullptr) *looked = furthest;

  double value = 0.0;
  const char* first = text.data() + start;
  const char* last = text.data() + end;
  const auto result = std::from_chars(first, last, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or zero, as a decimal
    // reading gives. Large when the mantissa's first significant digit stands
    // at a decimal position that the exponent moves far up.
    long long position = 0;  // decimal exponent of the first significant digit
    bool seen = false, after_point = false;
    long long before_point = 0, zeros_after_point = 0;
    const char* p = first;
    for (; p != last && *p != 'e' && *p != 'E'; ++p) {
      if (*p == '.') {
        after_point = true;
        continue;
      }
      if (!seen && *p == '0') {
        if (after_point) ++zeros_after_point;
        continue;
      }
      if (!seen) seen = true;
      if (!after_point) ++before_point;
    }
    position = seen ? (before_point > 0 ? before_point - 1 : -(zeros_after_point + 1)) : 0;
    long long exponent = 0;
    if (p != last) {
      ++p;
      bool negative_exponent = false;
      if (*p == '+' || *p == '-') negative_exponent = *p++ == '-';
      for (; p != last; ++p) {
        if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
      }
      if (negative_exponent) exponent = -exponent;
    }
    value = position + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

double ElementNumber(const Element& element, WorkBudget& budget) {
  if (element.kind() != kElementText) return ElementNumber(element);
  if (!budget.Charge(work_cost::kTextNumber)) return 0.0;
  // The reading looks at no more bytes than the budget left pays for: when
  // it would look past them, it is cut short and spends the budget.
  const std::string_view text = element.text();
  const uint64_t affordable = budget.remaining() / work_cost::kTextNumberByte;
  const std::string_view paid = affordable < text.size() ? text.substr(0, affordable) : text;
  std::size_t looked = 0;
  const double value = ReadLeadingDecimal(paid, &looked);
  if (paid.size() < text.size() && looked >= paid.size()) {
    budget.Charge(UINT64_MAX);
    return 0.0;
  }
  budget.Charge(work_cost::kTextNumberByte * std::min<uint64_t>(looked + 1, text.size()));
  return value;
}

double ElementNumber(const Element& element) {
  switch (element.kind()) {
    case kElementNumber:
      return element.number();
    case kElementText:
      return ReadLeadingDecimal(element.text());
    default:
      return 0.0;
  }
}

}  // namespace tallyra

#include "runtime/TextForm.h"

#include <charconv>
#include <cmath>

#include "lists/SearchBudget.h"

namespace {

std::string NumberText(double value) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char digits[40];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 6);
  std::string text(digits, written.ptr);
  // The exponent, when there is one, gets at least three digits.
  const std::size_t e = text.find('e');
  if (e != std::string::npos) {
    const std::size_t exponentDigits = text.size() - (e + 2);  // after "e+" or "e-"
    if (exponentDigits < 3) text.insert(e + 2, 3 - exponentDigits, '0');
  }
  return text;
}

}  // namespace

std::string ElementText(const Element& element) {
  switch (element.kind) {
    case kElementText:
      return element.text;
    case kElementNumber:
      return NumberText(element.number);
    default:
      return std::string();
  }
}

std::string SetText(List& list, int32_t maxLength) {
  auto count = static_cast<uint32_t>(list.Length());
  const auto maximum = static_cast<uint32_t>(maxLength);
  bool cut = false;
  if (count > maximum) {
    cut = true;
    count = maximum;
  }
  std::string text = "[";
  for (uint32_t i = 0; i < count; ++i) {
    const std::string element = ElementText(list.ElementAt(i));
    if (SearchBudget::Spent()) {  // cut short: this element and the rest are not known
      cut = true;
      break;
    }
    const std::size_t separator = i == 0 ? 0 : 2;
    if (text.size() + separator + element.size() > kMaxSetTextBytes) {
      cut = true;
      break;
    }
    if (separator != 0) text += ", ";
    text += element;  // grows geometrically: linear in the final length
  }
  if (cut) text += ", ... ";
  text += ']';
  return text;
}

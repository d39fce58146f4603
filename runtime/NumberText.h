// The text of one element, as "ElementAtStr$(" hands it back and as it stands
// in a list's text: a text as it is, a number in general notation with 6
// significant digits as the host platform's C run-time library writes it.
// The integers 0 .. 999,999, which lists hold most, are written inline.
#ifndef TALLYRA_RUNTIME_NUMBERTEXT_H_
#define TALLYRA_RUNTIME_NUMBERTEXT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "lists/Element.h"

namespace tallyra {

// Room for any number's text ("-1.23457e+308" is the longest, 13 bytes).
constexpr std::size_t kNumberTextRoom = 32;

// Text: the text itself. Number: general notation with 6 significant digits
// in the classic locale, with at least three exponent digits ("1.23457e+006",
// "-1e-005") and "inf", "-inf", "nan" for the values that have no digits; a
// number exactly halfway between two results of 6 digits is rounded away from
// zero (1234565 is "1.23457e+006", 12345.25 is "12345.3"), as the host
// platform's C run-time library writes it; the same on every platform. None:
// the empty text.
std::string ElementText(const Element& element);

// The same text without a copy: a text's own bytes, or a number's written
// at `digits` (kNumberTextRoom bytes). It lives as long as both do.
std::string_view ElementTextIn(const Element& element, char* digits);

// The text of a number other than an integer from 1 to 999,999, written at out
// (kNumberTextRoom bytes); answers its length.
std::size_t WriteOtherNumberText(double value, char* out);

namespace number_text {

// "00" to "99": two decimal digits at a time.
extern const char kDigitPairs[201];

// The last `width` decimal digits of value (leading zeros included), written
// at out; answers the end.
inline char* WriteDigits(uint32_t value, int width, char* out) {
  char* const end = out + width;
  char* p = end;
  for (; width >= 2; width -= 2) {
    p -= 2;
    std::memcpy(p, kDigitPairs + 2 * (value % 100), 2);
    value /= 100;
  }
  if (width == 1) *--p = static_cast<char>('0' + value % 10);
  return end;
}

// The decimal digits of value (below 10^6), written at out, which has room
// for 8 bytes (all may be written); answers the end.
inline char* WriteSmallDecimal(uint32_t value, char* out) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // value / 10^4 in fixed point with 32 bits after the point, by one
  // multiplication (2^32 / 10^4 rounded up: off by less than 0.7 x 10^-4,
  // which no digit notices); each next pair of digits is the integer part of
  // the fraction times 100.
  uint64_t scaled = uint64_t{value} * 429497;
  uint16_t pairs[3];
  std::memcpy(&pairs[0], kDigitPairs + 2 * (scaled >> 32), 2);
  scaled = (scaled & 0xFFFFFFFF) * 100;
  std::memcpy(&pairs[1], kDigitPairs + 2 * (scaled >> 32), 2);
  scaled = (scaled & 0xFFFFFFFF) * 100;
  std::memcpy(&pairs[2], kDigitPairs + 2 * (scaled >> 32), 2);
  // Six digits with leading zeros, the first in the lowest byte; the leading
  // zeros, the lowest bytes that hold '0', are shifted out (all but the last
  // for 0).
  const uint64_t digits = uint64_t{pairs[0]} | uint64_t{pairs[1]} << 16 | uint64_t{pairs[2]} << 32;
  const int zeros = __builtin_ctzll((digits - 0x303030303030) | uint64_t{1} << 40) / 8;
  const uint64_t shown = digits >> (8 * zeros);
  std::memcpy(out, &shown, 8);
  return out + 6 - zeros;
#else
  const int width =
      1 + (value >= 10) + (value >= 100) + (value >= 1000) + (value >= 10000) + (value >= 100000);
  return WriteDigits(value, width, out);
#endif
}

}  // namespace number_text

// A number's text, written at out (kNumberTextRoom bytes); answers its length.
inline std::size_t WriteNumberText(double value, char* out) {
  if (value > 0 && value < 1e6) {  // neither 0 nor -0
    const auto whole = static_cast<uint32_t>(value);
    if (whole == value) {
      return static_cast<std::size_t>(number_text::WriteSmallDecimal(whole, out) - out);
    }
  }
  return WriteOtherNumberText(value, out);
}

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_NUMBERTEXT_H_

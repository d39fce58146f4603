#include "runtime/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace tallyra {

const char number_text::kDigitPairs[201] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546"
    "4748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293"
    "949596979899";

namespace {

using number_text::kDigitPairs;
using number_text::WriteDigits;
using number_text::WriteSmallDecimal;

// Drops the trailing zeros of *digits, a number written with *width digits;
// keeps one digit at least.
void DropTrailingZeros(uint32_t* digits, int* width) {
  while (*width > 1 && *digits % 10 == 0) {
    *digits /= 10;
    --*width;
  }
}

// 5^0 .. 5^14.
constexpr uint64_t kPowersOfFive[] = {
    1,      5,       25,      125,      625,       3125,       15625,      78125,
    390625, 1953125, 9765625, 48828125, 244140625, 1220703125, 6103515625,
};

// True when magnitude (positive and finite) lies exactly halfway between two
// numbers of 6 significant digits: when it is m x 10^k for an m of 7 digits
// whose last digit is 5. Such an m is odd, so that m x 10^k is (m x 5^k) x 2^k
// for k >= 0 and (m / 5^-k) x 2^k for k < 0 with an odd factor before the
// power of two: k is the exponent of the magnitude written as an odd integer
// times a power of two. That bounds k to -10 .. 14 (m / 5^-k is a whole
// number, and m x 5^k has at most 53 bits).
bool IsHalfwayPoint(double magnitude) {
  int binary_exponent;
  const double fraction = std::frexp(magnitude, &binary_exponent);  // 0.5 <= fraction < 1
  auto odd = static_cast<uint64_t>(std::ldexp(fraction, 53));       // exact
  const int zeros = __builtin_ctzll(odd);
  odd >>= zeros;
  const int k = binary_exponent - 53 + zeros;  // magnitude = odd x 2^k
  uint64_t m;
  if (k >= 0) {
    if (k > 14 || odd % kPowersOfFive[k] != 0) return false;
    m = odd / kPowersOfFive[k];
  } else {
    if (k < -10 || odd >= 10000000) return false;
    m = odd * kPowersOfFive[-k];
  }
  return m >= 1000000 && m < 10000000 && m % 10 == 5;
}

// The text of a finite number by the general conversion of the C++ library
// (general notation, 6 significant digits), with the exponent widened to three
// digits, except that a number halfway between two results of 6 digits is
// rounded away from zero (the library rounds it to the even digit), as the C
// run-time library of the host's platform does. This is the definition of a
// number's text; FastNumberText gives the same text for the numbers that it
// takes. Answers the text's length.
std::size_t GeneralNumberText(double value, char* out) {
  // The next number away from zero is not halfway, and no result of 6 digits
  // lies between the two: it is written as the halfway point is to be.
  if (value != 0 && IsHalfwayPoint(std::fabs(value))) {
    value = std::nextafter(value, std::copysign(HUGE_VAL, value));
  }
  const auto written =
      std::to_chars(out, out + kNumberTextRoom, value, std::chars_format::general, 6);
  auto length = static_cast<std::size_t>(written.ptr - out);
  char* e = std::find(out, out + length, 'e');
  if (e != out + length) {
    char* digits = e + 2;  // after "e+" or "e-"
    const auto exponent_digits = static_cast<std::size_t>(out + length - digits);
    if (exponent_digits < 3) {
      const std::size_t widen = 3 - exponent_digits;
      std::memmove(digits + widen, digits, exponent_digits);
      std::memset(digits, '0', widen);
      length += widen;
    }
  }
  return length;
}

// 10^0 .. 10^15, each exact, and 10^0 .. 10^-9 (the nearest doubles).
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kNegativePowersOfTen[] = {1e0,  1e-1, 1e-2, 1e-3, 1e-4,
                                           1e-5, 1e-6, 1e-7, 1e-8, 1e-9};

// Six significant digits (100000 to 999999) times 10^(exponent-5), exponent 6
// to 99, in the general notation's exponent form ("d.ddddde+0XX", no trailing
// zeros after the point), written at p; answers the end.
char* WriteExponentForm(uint32_t digits, int exponent, char* p) {
  uint32_t rest = digits % 100000;
  int rest_width = 5;
  DropTrailingZeros(&rest, &rest_width);
  *p++ = static_cast<char>('0' + digits / 100000);
  if (rest != 0) {
    *p++ = '.';
    p = WriteDigits(rest, rest_width, p);
  }
  std::memcpy(p, "e+0", 3);
  return WriteDigits(static_cast<uint32_t>(exponent), 2, p + 3);
}

// The six significant digits of an integer from 10^6 to 2^32-1, rounded in
// integer arithmetic (a halfway point away from zero), and its exponent.
void RoundLargeInteger(uint32_t whole, uint32_t* digits, int* exponent) {
  uint32_t rest;
  uint32_t half;
  if (whole < 10000000) {
    *digits = whole / 10, rest = whole % 10, half = 5, *exponent = 6;
  } else if (whole < 100000000) {
    *digits = whole / 100, rest = whole % 100, half = 50, *exponent = 7;
  } else if (whole < 1000000000) {
    *digits = whole / 1000, rest = whole % 1000, half = 500, *exponent = 8;
  } else {
    *digits = whole / 10000, rest = whole % 10000, half = 5000, *exponent = 9;
  }
  if (rest >= half && ++*digits == 1000000) {  // rounded up to the next power of ten
    *digits = 100000;
    ++*exponent;
  }
}

// The same text as GeneralNumberText, for the numbers that authors mostly hold,
// in a fraction of its time: integers below 10^6 are written as they are,
// integers up to 2^32-1 are rounded to 6 significant digits in integer
// arithmetic, and other magnitudes from 10^-4 up to 10^15 in binary floating
// point, which gives the exact rounding except next to a halfway point. Answers 0, having written
// nothing that counts, for a number that it leaves to GeneralNumberText (any other magnitude, a
// value next to a halfway point, and infinities and NaN).
std::size_t FastNumberText(double value, char* out) {
  char* p = out;
  double magnitude = value;
  if (std::signbit(value)) {
    *p++ = '-';
    magnitude = -value;
  }
  if (magnitude < 4294967296.0) {
    const auto whole = static_cast<uint32_t>(magnitude);
    if (whole == magnitude) {
      if (whole < 1000000) return static_cast<std::size_t>(WriteSmallDecimal(whole, p) - out);
      uint32_t digits;
      int exponent;
      RoundLargeInteger(whole, &digits, &exponent);
      return static_cast<std::size_t>(WriteExponentForm(digits, exponent, p) - out);
    }
  }
  if (!(magnitude >= 1e-4 && magnitude < 1e15)) return 0;

  // The decimal exponent: 10^exponent <= magnitude < 10^(exponent+1), but for
  // a magnitude next to a negative power of ten, whose table entry is not
  // exact; the rounding below puts that right or refuses.
  int exponent = 0;
  if (magnitude >= 1) {
    while (magnitude >= kPowersOfTen[exponent + 1]) ++exponent;
  } else {
    do --exponent;
    while (exponent > -4 && magnitude < kNegativePowersOfTen[-exponent]);
  }
  // The magnitude scaled to six digits before the point by one multiplication
  // by a power of ten: off the exact product by less than 3e-16 of it (the
  // rounding of the product, and of the power when it is negative), which is
  // below 3e-10 here.
  const int shift = 5 - exponent;
  const double scaled =
      magnitude * (shift >= 0 ? kPowersOfTen[shift] : kNegativePowersOfTen[-shift]);
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;  // exact
  bool up = fraction > 0.5;
  if (std::fabs(fraction - 0.5) < 1e-7) {
    // The exact product may round the other way; but a magnitude exactly
    // halfway, scaled by an exact power of ten, is scaled exactly (it has 7
    // digits, the last a 5) and rounded away from zero.
    if (shift < 0 || fraction != 0.5 || !IsHalfwayPoint(magnitude)) return 0;
    up = true;
  }
  auto digits = static_cast<uint32_t>(whole) + (up ? 1 : 0);
  if (digits == 1000000) {  // rounded up to the next power of ten
    digits = 100000;
    ++exponent;
  }
  if (digits < 100000 || digits > 999999) return 0;

  // The six digits are d.ddddd x 10^exponent; written as the general
  // notation does, without trailing zeros after the point.
  if (exponent >= 6) {  // the exponent is 6 to 15 here
    return static_cast<std::size_t>(WriteExponentForm(digits, exponent, p) - out);
  }
  if (exponent >= 0) {  // an integer part of exponent+1 digits, then the fraction
    int fraction_width = 5 - exponent;
    uint32_t scale = 1;
    for (int i = 0; i < fraction_width; ++i) scale *= 10;
    uint32_t fraction_digits = digits % scale;
    p = WriteDigits(digits / scale, exponent + 1, p);
    if (fraction_digits != 0) {
      DropTrailingZeros(&fraction_digits, &fraction_width);
      *p++ = '.';
      p = WriteDigits(fraction_digits, fraction_width, p);
    }
  } else {  // "0." then -exponent-1 zeros, then the digits
    int width = 6;
    DropTrailingZeros(&digits, &width);
    *p++ = '0';
    *p++ = '.';
    p = WriteDigits(digits, width - exponent - 1, p);  // the zeros are leading digits
  }
  return static_cast<std::size_t>(p - out);
}

}  // namespace

std::size_t WriteOtherNumberText(double value, char* out) {
  if (std::isnan(value)) {
    std::memcpy(out, "nan", 3);
    return 3;
  }
  if (std::isinf(value)) {
    if (value < 0) {
      std::memcpy(out, "-inf", 4);
      return 4;
    }
    std::memcpy(out, "inf", 3);
    return 3;
  }
  const std::size_t length = FastNumberText(value, out);
  return length != 0 ? length : GeneralNumberText(value, out);
}

std::string ElementText(const Element& element) {
  char digits[kNumberTextRoom];
  return std::string(ElementTextIn(element, digits));
}

std::string_view ElementTextIn(const Element& element, char* digits) {
  switch (element.kind()) {
    case kElementText:
      return element.text();
    case kElementNumber:
      return std::string_view(digits, WriteNumberText(element.number(), digits));
    default:
      return std::string_view();
  }
}

}  // namespace tallyra

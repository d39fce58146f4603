#include "runtime/TextForm.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

#include "lists/ConcreteList.h"

namespace {

// Room for any number's text ("-1.23457e+308" is the longest, 13 bytes).
constexpr std::size_t kNumberTextRoom = 32;

// "00" to "99": two decimal digits at a time.
constexpr char kDigitPairs[] =
    "0001020304050607080910111213141516171819202122232425262728293031323334353637383940414243444546"
    "4748495051525354555657585960616263646566676869707172737475767778798081828384858687888990919293"
    "949596979899";

// The last `width` decimal digits of value (leading zeros included), written
// at out; answers the end.
char* WriteDigits(uint32_t value, int width, char* out) {
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

// The decimal digits of value, written at out; answers the end.
char* WriteDecimal(uint32_t value, char* out) {
  const int width = 1 + (value >= 10) + (value >= 100) + (value >= 1000) + (value >= 10000) +
                    (value >= 100000) + (value >= 1000000) + (value >= 10000000) +
                    (value >= 100000000) + (value >= 1000000000);
  return WriteDigits(value, width, out);
}

// Drops the trailing zeros of *digits, a number written with *width digits;
// keeps one digit at least.
void DropTrailingZeros(uint32_t* digits, int* width) {
  while (*width > 1 && *digits % 10 == 0) {
    *digits /= 10;
    --*width;
  }
}

// The text of a finite number by the general conversion of the C++ library
// (general notation, 6 significant digits), with the exponent widened to three
// digits. This is the definition of a number's text; FastNumberText gives the
// same text for the numbers that it takes. Answers the text's length.
std::size_t GeneralNumberText(double value, char* out) {
  const auto written =
      std::to_chars(out, out + kNumberTextRoom, value, std::chars_format::general, 6);
  auto length = static_cast<std::size_t>(written.ptr - out);
  char* e = std::find(out, out + length, 'e');
  if (e != out + length) {
    char* digits = e + 2;  // after "e+" or "e-"
    const auto exponentDigits = static_cast<std::size_t>(out + length - digits);
    if (exponentDigits < 3) {
      const std::size_t widen = 3 - exponentDigits;
      std::memmove(digits + widen, digits, exponentDigits);
      std::memset(digits, '0', widen);
      length += widen;
    }
  }
  return length;
}

// 10^0 .. 10^15, each exact, and 10^-1 .. 10^-4 (the nearest doubles).
constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kNegativePowersOfTen[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4};

// The same text as GeneralNumberText, for the numbers that authors mostly hold,
// in a fraction of its time: integers below 10^6 are written as they are, and
// other magnitudes from 10^-4 up to 10^15 are rounded to 6 significant digits
// in binary floating point, which gives the exact rounding except next to a
// halfway point. Answers 0, having written nothing that counts, for a number
// that it leaves to GeneralNumberText (any other magnitude, a value next to a
// halfway point, and infinities and NaN).
std::size_t FastNumberText(double value, char* out) {
  char* p = out;
  double magnitude = value;
  if (std::signbit(value)) {
    *p++ = '-';
    magnitude = -value;
  }
  if (magnitude < 1e6) {
    const auto whole = static_cast<uint32_t>(magnitude);
    if (whole == magnitude) return static_cast<std::size_t>(WriteDecimal(whole, p) - out);
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
  // The magnitude scaled to six digits before the point: one multiplication
  // or division by an exact power of ten, off the exact product by half a
  // unit of the last place at most (below 6e-11 here).
  const int shift = 5 - exponent;
  const double scaled =
      shift >= 0 ? magnitude * kPowersOfTen[shift] : magnitude / kPowersOfTen[-shift];
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;          // exact
  if (std::fabs(fraction - 0.5) < 1e-7) return 0;  // the exact product may round the other way
  auto digits = static_cast<uint32_t>(whole) + (fraction > 0.5 ? 1 : 0);
  if (digits == 1000000) {  // rounded up to the next power of ten
    digits = 100000;
    ++exponent;
  }
  if (digits < 100000 || digits > 999999) return 0;

  // The six digits are d.ddddd x 10^exponent; written as the general
  // notation does, without trailing zeros after the point.
  if (exponent >= 6) {  // "d.ddddde+0XX" (the exponent is 6 to 15 here)
    uint32_t rest = digits % 100000;
    int restWidth = 5;
    DropTrailingZeros(&rest, &restWidth);
    *p++ = static_cast<char>('0' + digits / 100000);
    if (rest != 0) {
      *p++ = '.';
      p = WriteDigits(rest, restWidth, p);
    }
    std::memcpy(p, "e+0", 3);
    return static_cast<std::size_t>(WriteDigits(static_cast<uint32_t>(exponent), 2, p + 3) - out);
  }
  if (exponent >= 0) {  // an integer part of exponent+1 digits, then the fraction
    int fractionWidth = 5 - exponent;
    uint32_t scale = 1;
    for (int i = 0; i < fractionWidth; ++i) scale *= 10;
    uint32_t fractionDigits = digits % scale;
    p = WriteDigits(digits / scale, exponent + 1, p);
    if (fractionDigits != 0) {
      DropTrailingZeros(&fractionDigits, &fractionWidth);
      *p++ = '.';
      p = WriteDigits(fractionDigits, fractionWidth, p);
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

// A number's text, written at out (kNumberTextRoom bytes); answers its length.
std::size_t NumberText(double value, char* out) {
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

// The text that SetText reserves room for at first: its elements mostly take
// a few bytes each. A guess only: the text grows past it as it needs.
std::size_t InitialTextRoom(uint32_t count) {
  constexpr std::size_t kBytesPerElement = 8;
  return std::min<std::size_t>(kMaxSetTextBytes, std::size_t{count} * kBytesPerElement) + 8;
}

// Builds a text out of many small pieces: they are gathered in a block of its
// own and added to the text a full block at a time, which costs far less than
// adding each piece. Pieces are written straight into the block (Room, then
// Commit); long ones go to the text directly (Append).
class PieceWriter {
 public:
  explicit PieceWriter(std::string* text) : text_(text) {}
  PieceWriter(const PieceWriter&) = delete;
  PieceWriter& operator=(const PieceWriter&) = delete;
  ~PieceWriter() = default;  // Flush() must be called to keep what is gathered

  // The length of the text with what is gathered.
  std::size_t size() const { return text_->size() + used_; }

  // Where the next piece of at most `bytes` (kMaxPiece at most) is written.
  char* Room(std::size_t bytes) {
    if (used_ + bytes > sizeof block_) Flush();
    return block_ + used_;
  }
  // Keeps the first `bytes` written at Room().
  void Commit(std::size_t bytes) { used_ += bytes; }

  void Append(const char* bytes, std::size_t size) {
    if (size > kMaxPiece) {
      Flush();
      text_->append(bytes, size);
      return;
    }
    std::memcpy(Room(size), bytes, size);
    Commit(size);
  }

  void Flush() {
    text_->append(block_, used_);
    used_ = 0;
  }

  static constexpr std::size_t kMaxPiece = 256;

 private:
  std::string* text_;
  std::size_t used_ = 0;
  char block_[4096];
};

}  // namespace

std::string ElementText(const Element& element) {
  switch (element.kind) {
    case kElementText:
      return element.text;
    case kElementNumber: {
      char text[kNumberTextRoom];
      return std::string(text, NumberText(element.number, text));
    }
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
  std::string text;
  try {
    text.reserve(InitialTextRoom(count));
  } catch (const std::bad_alloc&) {
    // A hint only: the text grows as it needs.
  }
  text += '[';
  PieceWriter writer(&text);
  // A concrete list's elements are read where they are stored, not copied.
  ConcreteList* concrete = AsConcreteList(&list);
  Element copy;
  for (uint32_t i = 0; i < count; ++i) {
    if (concrete == nullptr) copy = list.ElementAt(i);
    if (concrete != nullptr && i + 16 < count) __builtin_prefetch(&concrete->StoredAt(i + 16));
    const Element& element = concrete != nullptr ? concrete->StoredAt(i) : copy;
    const std::size_t separator = i == 0 ? 0 : 2;
    if (element.kind == kElementNumber) {
      char* room = writer.Room(2 + kNumberTextRoom);
      room[0] = ',';
      room[1] = ' ';
      const std::size_t size = NumberText(element.number, room + separator);
      if (writer.size() + separator + size > kMaxSetTextBytes) {
        cut = true;
        break;
      }
      writer.Commit(separator + size);
    } else {
      const std::size_t size = element.kind == kElementText ? element.text.size() : 0;
      if (writer.size() + separator + size > kMaxSetTextBytes) {
        cut = true;
        break;
      }
      writer.Append(", ", separator);
      writer.Append(element.text.data(), size);  // None: the empty text
    }
  }
  writer.Flush();
  if (cut) text += ", ... ";
  text += ']';
  return text;
}

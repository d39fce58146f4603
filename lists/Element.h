// Element: one member of a list, passed and returned by value. A None element
// stands for "no element" (an index outside a finite list, a failed formula).
//
// An element is small (16 bytes on 64-bit machines, 12 in the 32-bit module)
// and cheap to copy: a number is held in place; a text is one immutable
// allocation (a reference count, the size and the bytes) that every copy of
// the element shares, released when the last element that refers to it goes.
// The empty text needs no allocation. The reference count is not atomic: the
// module runs on the host's one thread, and elements are never shared between
// threads.
#ifndef TALLYRA_LISTS_ELEMENT_H_
#define TALLYRA_LISTS_ELEMENT_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "lists/WorkBudget.h"

namespace tallyra {

enum ElementKind : char {
  kElementNone = 0,
  kElementText = 'S',
  kElementNumber = 'D',
};

class Element {
 public:
  Element() noexcept { payload_.text = nullptr; }  // None
  Element(const Element& other) noexcept : kind_(other.kind_), payload_(other.payload_) {
    Retain();
  }
  Element(Element&& other) noexcept : kind_(other.kind_), payload_(other.payload_) {
    other.kind_ = kElementNone;
  }
  Element& operator=(const Element& other) noexcept {
    other.Retain();  // first: other may be this, or share this one's text
    Release();
    kind_ = other.kind_;
    payload_ = other.payload_;
    return *this;
  }
  Element& operator=(Element&& other) noexcept {
    if (this != &other) {
      Release();
      kind_ = other.kind_;
      payload_ = other.payload_;
      other.kind_ = kElementNone;
    }
    return *this;
  }
  ~Element() { Release(); }

  static Element None() noexcept { return Element(); }
  // Throws std::bad_alloc when the text's bytes cannot be held.
  static Element Text(std::string_view value);
  static Element Number(double value) noexcept {
    Element e;
    e.kind_ = kElementNumber;
    std::memcpy(&e.payload_, &value, sizeof value);
    return e;
  }

  ElementKind kind() const noexcept { return static_cast<ElementKind>(kind_); }
  // The value of a Number element; 0 for any other.
  double number() const noexcept {
    double value = 0.0;
    if (kind_ == kElementNumber) std::memcpy(&value, &payload_, sizeof value);
    return value;
  }
  // The text of a Text element; empty for any other. Valid while this element
  // (or another that shares the text) lives. Its data() is never null, as a
  // std::string's is not: it may go to memcpy.
  std::string_view text() const noexcept {
    if (kind_ != kElementText || payload_.text == nullptr) return std::string_view("", 0);
    return {payload_.text->bytes(), payload_.text->size};
  }

 private:
  // The shared text: its header, then its bytes.
  struct SharedText {
    std::size_t references;
    std::size_t size;
    const char* bytes() const noexcept { return reinterpret_cast<const char*>(this + 1); }
  };

  // A number's 8 bytes, or the text's pointer (null for the empty text). Held
  // as 32-bit words, so that the 32-bit module does not align the element to
  // 8 bytes: the number is read and written by memcpy.
  union Payload {
    SharedText* text;
    uint32_t words[2];
  };

  void Retain() const noexcept {
    if (kind_ == kElementText && payload_.text != nullptr) ++payload_.text->references;
  }
  void Release() noexcept {
    if (kind_ == kElementText && payload_.text != nullptr && --payload_.text->references == 0)
      Free(payload_.text);
  }
  static void Free(SharedText* text) noexcept;

  char kind_ = kElementNone;
  Payload payload_;
};

static_assert(sizeof(Element) <= (sizeof(void*) == 8 ? 16 : 12),
              "an element is a kind and eight bytes");

// The one rule for reading an element as a number: a Number gives its value; a
// Text gives its longest leading decimal number (white space skipped first;
// optional sign, digits, optional point and fraction, optional exponent), or 0
// when it has none; None gives 0. Hexadecimal, "inf" and "nan" are not numbers here.
double ElementNumber(const Element& element);

// ElementNumber, the reading of a text charged to budget by the bytes that it
// looks at (work_cost::kTextNumber, and kTextNumberByte for each byte: blanks,
// sign, digits, point, exponent and the byte that ends them); 0 when the
// budget is spent, and the reading is not started past what it can pay for.
double ElementNumber(const Element& element, WorkBudget& budget);

// The decimal reading that ElementNumber applies to texts. When `looked` is
// given, it is set to the last position that the reading looked at (the
// text's size when it looked for a byte past the end): the number depends on
// the bytes up to there only.
double ReadLeadingDecimal(std::string_view text, std::size_t* looked = nullptr);

}  // namespace tallyra

#endif  // TALLYRA_LISTS_ELEMENT_H_

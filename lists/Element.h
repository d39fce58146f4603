// Element: one member of a list, passed and returned by value. A None element
// stands for "no element" (an index outside a finite list, a failed formula).
#ifndef TALLYRA_LISTS_ELEMENT_H_
#define TALLYRA_LISTS_ELEMENT_H_

#include <string>
#include <string_view>
#include <utility>

enum ElementKind : char {
  kElementNone = 0,
  kElementText = 'S',
  kElementNumber = 'D',
};

struct Element {
  char kind = kElementNone;
  std::string text;     // the text of a Text element; empty otherwise
  double number = 0.0;  // the value of a Number element; not read otherwise

  static Element None() { return Element(); }
  static Element Text(std::string value) {
    Element e;
    e.kind = kElementText;
    e.text = std::move(value);
    return e;
  }
  static Element Number(double value) {
    Element e;
    e.kind = kElementNumber;
    e.number = value;
    return e;
  }
};

// The one rule for reading an element as a number: a Number gives its value; a
// Text gives its longest leading decimal number (white space skipped first;
// optional sign, digits, optional point and fraction, optional exponent), or 0
// when it has none; None gives 0. Hexadecimal, "inf" and "nan" are not numbers here.
double ElementNumber(const Element& element);

// The decimal reading that ElementNumber applies to texts.
double ReadLeadingDecimal(std::string_view text);

#endif  // TALLYRA_LISTS_ELEMENT_H_

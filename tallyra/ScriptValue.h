// ScriptValue: what a script computes and hands to the object: an integer, a
// single-precision float or a text, the three kinds of result that an
// expression of the object can have. Plain value type.
#ifndef TALLYRA_TALLYRA_SCRIPTVALUE_H_
#define TALLYRA_TALLYRA_SCRIPTVALUE_H_

#include <cstdint>
#include <string>
#include <utility>

namespace tallyra::script {

struct ScriptValue {
  enum class Kind { kInteger, kFloat, kText };

  Kind kind = Kind::kInteger;
  int32_t integer = 0;  // read when kind is kInteger
  float real = 0.0f;    // read when kind is kFloat
  std::string text;     // read when kind is kText

  static ScriptValue Integer(int32_t value) {
    ScriptValue v;
    v.integer = value;
    return v;
  }
  static ScriptValue Float(float value) {
    ScriptValue v;
    v.kind = Kind::kFloat;
    v.real = value;
    return v;
  }
  static ScriptValue Text(std::string value) {
    ScriptValue v;
    v.kind = Kind::kText;
    v.text = std::move(value);
    return v;
  }

  bool IsText() const { return kind == Kind::kText; }
};

// The shortest decimal that reads back as the same float, as std::to_chars
// writes it in general form (2, 0.1, 1e+06, inf, -inf); every NaN is "nan".
std::string FormatFloat(float value);

// A value as print writes it: an integer in decimal, a float by FormatFloat, a
// text as it stands.
std::string FormatValue(const ScriptValue& value);

// The integer that the host hands to a routine that asks for an integer: a
// float is truncated toward zero; NaN and floats outside the 32-bit range give
// -2147483648, as the processor's conversion does. A text gives 0.
int32_t ValueAsInteger(const ScriptValue& value);

// The float that the host hands to a routine that asks for a float.
float ValueAsFloat(const ScriptValue& value);

// A number as an author writes it: an optional minus, digits, and an optional
// point followed by digits. Without a point and within the 32-bit range it is
// an integer, otherwise the nearest float. Answers false, leaving *value as it
// was, when text is not such a number.
bool ParseNumberLiteral(const std::string& text, ScriptValue* value);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTVALUE_H_

#include "tallyra/ScriptValue.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace tallyra::script {

std::string FormatFloat(float value) {
  if (std::isnan(value)) return "nan";
  char buffer[64];
  std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof(buffer), value, std::chars_format::general);
  return std::string(buffer, r.ptr);
}

std::string FormatValue(const ScriptValue& value) {
  switch (value.kind) {
    case ScriptValue::Kind::kInteger:
      return std::to_string(value.integer);
    case ScriptValue::Kind::kFloat:
      return FormatFloat(value.real);
    case ScriptValue::Kind::kText:
      return value.text;
  }
  return std::string();
}

int32_t ValueAsInteger(const ScriptValue& value) {
  switch (value.kind) {
    case ScriptValue::Kind::kInteger:
      return value.integer;
    case ScriptValue::Kind::kFloat: {
      // 2147483648 is exactly representable as a float; every float below it
      // and above -2147483649 truncates into range.
      float v = value.real;
      if (!(v > -2147483649.0f && v < 2147483648.0f)) return std::numeric_limits<int32_t>::min();
      return static_cast<int32_t>(v);
    }
    case ScriptValue::Kind::kText:
      return 0;
  }
  return 0;
}

float ValueAsFloat(const ScriptValue& value) {
  switch (value.kind) {
    case ScriptValue::Kind::kInteger:
      return static_cast<float>(value.integer);
    case ScriptValue::Kind::kFloat:
      return value.real;
    case ScriptValue::Kind::kText:
      return 0.0f;
  }
  return 0.0f;
}

bool ParseNumberLiteral(const std::string& text, ScriptValue* value) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits) return false;
  bool fraction = false;
  if (i < text.size() && text[i] == '.') {
    size_t first = ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == first) return false;
    fraction = true;
  }
  if (i != text.size()) return false;
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (!fraction) {
    int32_t n = 0;
    std::from_chars_result r = std::from_chars(begin, end, n);
    if (r.ec == std::errc() && r.ptr == end) {
      *value = ScriptValue::Integer(n);
      return true;
    }
  }
  float f = 0.0f;
  std::from_chars_result r = std::from_chars(begin, end, f);
  if (r.ec == std::errc::result_out_of_range) {
    // Beyond the float range: a non-zero integer part means too large (the
    // nearest float is infinite), otherwise too small (the nearest is zero).
    bool large = false;
    for (size_t k = 0; k < text.size() && text[k] != '.'; ++k)
      large |= text[k] >= '1' && text[k] <= '9';
    f = large ? std::numeric_limits<float>::infinity() : 0.0f;
    if (text[0] == '-') f = -f;
  } else if (r.ec != std::errc() || r.ptr != end) {
    return false;
  }
  *value = ScriptValue::Float(f);
  return true;
}

}  // namespace tallyra::script

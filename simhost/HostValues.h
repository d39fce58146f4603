// The values that a caller of the simulated host exchanges with the module's
// operations: Arg, one parameter handed to an action, condition or expression,
// and HostResult, the typed result of an expression as the host reads it.
#ifndef TALLYRA_SIMHOST_HOSTVALUES_H_
#define TALLYRA_SIMHOST_HOSTVALUES_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "abi/Operations.h"

namespace tallyra::simhost {

const char* OperationKindName(OperationKind kind);  // "condition", "action", "expression"

// One parameter: a text, or a number. A number parameter is handed to the
// module as the host would: as a signed 32-bit integer (truncated toward zero,
// clamped) when the module asks for an integer, as a single-precision float
// when it asks for a float.
//
// A deferred parameter is worked out when the routine fetches it, the way the
// host evaluates an expression parameter: its function runs inside the
// routine's GetEventParameter (or Get...ExpressionParameter) call and may call
// the module's routines itself, of the same object or another, which then run
// nested in the fetching routine. It is worked out once per fetch; a routine
// that fetches it is handed what the function answered.
//
//   object.Action(ActionCode::kAppendNumber,
//                 {Arg::Text("b"), Arg::DeferredNumber([&] {
//                    return object.Expression(ExpressionCode::kElementAt, {...}).AsNumber();
//                  })});
class Arg {
 public:
  static Arg Text(std::string text) { return Arg(true, std::move(text), 0.0); }
  static Arg Number(double value) { return Arg(false, std::string(), value); }
  static Arg DeferredText(std::function<std::string()> compute);
  static Arg DeferredNumber(std::function<double()> compute);

  bool is_text() const { return is_text_; }
  bool is_deferred() const { return compute_ != nullptr; }
  // A plain parameter's own value; a deferred one's is known only once
  // Resolve() works it out.
  const std::string& text() const { return text_; }
  double number() const { return number_; }

  // The parameter's value as the host hands it: a plain parameter itself, a
  // deferred one worked out now (whatever its function throws passes on).
  Arg Resolve() const;

  // The integer that the host hands for a number.
  int32_t AsInteger() const;

  // The text, or the number written out (for messages).
  std::string ToString() const;

 private:
  Arg(bool is_text, std::string text, double number)
      : is_text_(is_text), text_(std::move(text)), number_(number) {}

  bool is_text_;
  std::string text_;
  double number_;
  std::shared_ptr<const std::function<Arg()>> compute_;  // set for a deferred parameter
};

enum class ResultKind { kInteger, kFloat, kText };

// An expression's result, read as the host reads it: the text bit of the
// object's flags word makes it a text, the float bit a float, neither an
// integer.
struct HostResult {
  ResultKind kind = ResultKind::kInteger;
  int32_t integer = 0;  // kInteger
  float real = 0.0f;    // kFloat
  std::string text;     // kText

  static HostResult Integer(int32_t value);
  static HostResult Float(float value);
  static HostResult Text(std::string value);

  // The number that an integer or float stands for (0 for a text).
  double AsNumber() const;
  // The value written out: "10", "2.5", or the text itself.
  std::string ToString() const;

  bool operator==(const HostResult& other) const;
  bool operator!=(const HostResult& other) const { return !(*this == other); }
};

// Writes "integer 10", "float 2.5" or "text \"a\"".
std::ostream& operator<<(std::ostream& out, const HostResult& result);

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_HOSTVALUES_H_

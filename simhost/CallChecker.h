// CallChecker: one call of a module routine under way, checked against the
// host's call protocol. An operation fetches exactly its declared parameters,
// once each, in declaration order, with the kind that its type code calls for
// (a text for 45 and 3; an integer or a float for 22; an integer for 1 and 2);
// an expression asks with the handle that it was given, first through
// GetFirstExpressionParameter and then through GetNextExpressionParameter.
// Each break of these rules is reported to the caller's report function, never
// thrown, and the fetch is answered neutrally (0, or the empty text).
//
// The checker borrows the declared types and the caller's arguments (both
// outlive the call) and owns the parameter texts that it hands out: they stay
// valid until the checker is destroyed, when the call has returned.
#ifndef TALLYRA_SIMHOST_CALLCHECKER_H_
#define TALLYRA_SIMHOST_CALLCHECKER_H_

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "simhost/HostValues.h"

namespace tallyra::simhost {

// Receives what a call did wrong, as one sentence without its subject.
using ViolationReport = std::function<void(const std::string& what)>;

// "condition 3": an operation as messages name it.
std::string OperationLabel(OperationKind kind, int code);

// Checks a caller's arguments against the declared parameters before any call:
// throws std::invalid_argument for the wrong number or kind of them.
void CheckArguments(const std::string& label, const std::vector<uint16_t>& declared,
                    const std::vector<Arg>& args);

// The handle as the module must pass it back: its low 16 bits, widened with
// their sign.
HostWord WidenedHandle(HostWord handle);

class CallChecker {
 public:
  // `label` names the call in reports; `expected_handle` is the handle that an
  // expression must ask with (WidenedHandle of what it was given).
  CallChecker(OperationKind kind, std::string label, const std::vector<uint16_t>& declared,
              const std::vector<Arg>& args, HostWord expected_handle = 0);
  CallChecker(const CallChecker&) = delete;
  CallChecker& operator=(const CallChecker&) = delete;

  OperationKind kind() const { return kind_; }
  const std::string& label() const { return label_; }

  // Checks a fetch of the next parameter through GetEventParameter, or through
  // an expression parameter service (`first`: GetFirstExpressionParameter),
  // asked as `kind`. Answers the caller's argument to hand over, or null when
  // the host has none to give and the routine gets the neutral answer.
  const Arg* FetchEventParameter(HostWord kind, const ViolationReport& report);
  const Arg* FetchExpressionParameter(bool first, HostWord kind, HostWord handle,
                                      const ViolationReport& report);

  // What the routine is handed for `value` (an argument worked out) asked as
  // `kind`: a text, a float's bits, or an integer's 32 bits. A text that
  // `value` holds and that lasts the call (`lasting`: the call's own argument)
  // is handed as it is, as a host hands its own strings, without a copy;
  // any other text is kept here.
  HostWord Hand(const Arg& value, HostWord kind, bool lasting);
  // The neutral answer to a fetch as `kind`: the empty text, or 0.
  static HostWord NeutralEventParameter(HostWord kind);
  static HostWord NeutralExpressionParameter(HostWord kind);

  // Reports, as the call ends, the declared parameters that were not fetched.
  void CheckAllFetched(const ViolationReport& report) const;

  // The name of the expression parameter service: first or next.
  static const char* ExpressionService(bool first);

 private:
  bool IsExpression() const { return kind_ == OperationKind::kExpression; }
  bool AsksText(HostWord kind) const;
  // "a text", "an integer", or the unknown kind's number.
  std::string KindName(HostWord kind) const;
  // The index of the parameter fetched now, checked against the declaration,
  // and its declared type against the kind asked; nullopt when none is left.
  std::optional<std::size_t> Next(HostWord kind, const ViolationReport& report);

  OperationKind kind_;
  std::string label_;
  const std::vector<uint16_t>& declared_;
  const std::vector<Arg>& args_;
  HostWord expected_handle_;
  std::size_t fetched_ = 0;
  std::deque<std::string> texts_;  // parameter texts handed out; freed when the call ends
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_CALLCHECKER_H_

#include "simhost/CallChecker.h"

#include <cstring>
#include <stdexcept>
#include <utility>

#include "abi/Operations.h"

namespace tallyra::simhost {

namespace {

const char kNoText[] = "";

HostWord FloatBits(double value) {
  const float single = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  return bits;
}

// The answer for an integer: its 32 bits, not widened.
HostWord IntegerWord(int32_t value) { return static_cast<uint32_t>(value); }

}  // namespace

std::string OperationLabel(OperationKind kind, int code) {
  return std::string(OperationKindName(kind)) + " " + std::to_string(code);
}

void CheckArguments(const std::string& label, const std::vector<uint16_t>& declared,
                    const std::vector<Arg>& args) {
  if (args.size() != declared.size()) {
    throw std::invalid_argument(label + " takes " + std::to_string(declared.size()) +
                                " parameters, not " + std::to_string(args.size()));
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].is_text() != TypeTakesText(declared[i])) {
      throw std::invalid_argument(label + ": parameter " + std::to_string(i) + " is " +
                                  (TypeTakesText(declared[i]) ? "a text" : "a number"));
    }
  }
}

HostWord WidenedHandle(HostWord handle) {
  return static_cast<HostWord>(static_cast<intptr_t>(static_cast<int16_t>(handle & 0xFFFF)));
}

CallChecker::CallChecker(OperationKind kind, std::string label,
                         const std::vector<uint16_t>& declared, const std::vector<Arg>& args,
                         HostWord expected_handle)
    : kind_(kind),
      label_(std::move(label)),
      declared_(declared),
      args_(args),
      expected_handle_(expected_handle) {}

const char* CallChecker::ExpressionService(bool first) {
  return first ? "GetFirstExpressionParameter" : "GetNextExpressionParameter";
}

bool CallChecker::AsksText(HostWord kind) const {
  return kind == (IsExpression() ? kExpressionParamText : kEventParamText);
}

std::string CallChecker::KindName(HostWord kind) const {
  if (IsExpression()) {
    if (kind == kExpressionParamText) return "a text";
    if (kind == kExpressionParamInteger) return "an integer";
  } else {
    if (kind == kEventParamText) return "a text";
    if (kind == kEventParamInteger) return "an integer";
    if (kind == kEventParamFloat) return "a float";
  }
  return "kind " + std::to_string(kind);
}

HostWord CallChecker::NeutralEventParameter(HostWord kind) {
  return kind == kEventParamText ? reinterpret_cast<HostWord>(kNoText) : 0;
}

HostWord CallChecker::NeutralExpressionParameter(HostWord kind) {
  return kind == kExpressionParamText ? reinterpret_cast<HostWord>(kNoText) : 0;
}

std::optional<std::size_t> CallChecker::Next(HostWord kind, const ViolationReport& report) {
  const std::size_t i = fetched_++;
  if (i >= declared_.size()) {
    report("asked for parameter " + std::to_string(i) + " but declares " +
           std::to_string(declared_.size()));
    return std::nullopt;
  }
  const uint16_t type = declared_[i];
  const bool text = AsksText(kind);
  const bool fits =
      IsExpression()
          ? (type == kTypeExpressionText
                 ? text
                 : ((type == kTypeExpressionInteger || type == kTypeExpressionNumber) && !text))
          : (type == kTypeText ? text : (type == kTypeNumber && !text));
  if (!fits) {
    report("asked for parameter " + std::to_string(i) + " (type " + std::to_string(type) + ") as " +
           KindName(kind));
  }
  return i;
}

const Arg* CallChecker::FetchEventParameter(HostWord kind, const ViolationReport& report) {
  if (IsExpression()) {
    report("asked for an event parameter (expressions take theirs otherwise)");
    return nullptr;
  }
  if (kind != kEventParamText && kind != kEventParamInteger && kind != kEventParamFloat) {
    report("asked for a parameter of unknown " + KindName(kind));
    return nullptr;
  }
  const std::optional<std::size_t> i = Next(kind, report);
  if (!i) return nullptr;
  if (*i >= args_.size()) {
    report("asked for parameter " + std::to_string(*i) + ", which the host cannot give");
    return nullptr;
  }
  return &args_[*i];
}

const Arg* CallChecker::FetchExpressionParameter(bool first, HostWord kind, HostWord handle,
                                                 const ViolationReport& report) {
  const std::string service = ExpressionService(first);
  if (first && fetched_ != 0) report(service + " after the first parameter");
  if (!first && fetched_ == 0) report(service + " before the first parameter");
  if (handle != expected_handle_) {
    report(service + " with handle " + std::to_string(handle) + ", not " +
           std::to_string(expected_handle_));
  }
  if (kind != kExpressionParamText && kind != kExpressionParamInteger) {
    report("asked for a parameter of unknown " + KindName(kind));
    return nullptr;
  }
  const std::optional<std::size_t> i = Next(kind, report);
  if (!i || *i >= args_.size()) return nullptr;  // the arguments were checked before the call
  return &args_[*i];
}

HostWord CallChecker::Hand(const Arg& value, HostWord kind, bool lasting) {
  if (AsksText(kind)) {
    if (lasting && value.is_text()) return reinterpret_cast<HostWord>(value.text().c_str());
    texts_.push_back(value.ToString());
    return reinterpret_cast<HostWord>(texts_.back().c_str());
  }
  if (IsExpression()) return IntegerWord(value.AsInteger());
  if (value.is_text()) return 0;
  return kind == kEventParamFloat ? FloatBits(value.number()) : IntegerWord(value.AsInteger());
}

void CallChecker::CheckAllFetched(const ViolationReport& report) const {
  if (fetched_ < declared_.size()) {
    report("fetched " + std::to_string(fetched_) + " of its " + std::to_string(declared_.size()) +
           " parameters");
  }
}

}  // namespace tallyra::simhost

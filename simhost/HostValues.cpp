#include "simhost/HostValues.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace tallyra::simhost {

namespace {

std::string WriteNumber(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.9g", value);
  return buffer;
}

}  // namespace

const char* OperationKindName(OperationKind kind) {
  constexpr KindArray<const char*> kNames = {{"condition", "action", "expression"}};
  return kNames[kind];
}

int32_t Arg::AsInteger() const {
  if (is_text_ || std::isnan(number_)) return 0;
  const double truncated = std::trunc(number_);
  if (truncated <= std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (truncated >= std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(truncated);
}

Arg Arg::DeferredText(std::function<std::string()> compute) {
  Arg arg = Text(std::string());
  arg.compute_ = std::make_shared<const std::function<Arg()>>(
      [compute = std::move(compute)] { return Text(compute()); });
  return arg;
}

Arg Arg::DeferredNumber(std::function<double()> compute) {
  Arg arg = Number(0.0);
  arg.compute_ = std::make_shared<const std::function<Arg()>>(
      [compute = std::move(compute)] { return Number(compute()); });
  return arg;
}

Arg Arg::Resolve() const { return compute_ ? (*compute_)() : *this; }

std::string Arg::ToString() const {
  if (compute_) return "(worked out when fetched)";
  return is_text_ ? text_ : WriteNumber(number_);
}

HostResult HostResult::Integer(int32_t value) {
  HostResult result;
  result.kind = ResultKind::kInteger;
  result.integer = value;
  return result;
}

HostResult HostResult::Float(float value) {
  HostResult result;
  result.kind = ResultKind::kFloat;
  result.real = value;
  return result;
}

HostResult HostResult::Text(std::string value) {
  HostResult result;
  result.kind = ResultKind::kText;
  result.text = std::move(value);
  return result;
}

double HostResult::AsNumber() const {
  switch (kind) {
    case ResultKind::kInteger:
      return integer;
    case ResultKind::kFloat:
      return real;
    case ResultKind::kText:
      break;
  }
  return 0.0;
}

std::string HostResult::ToString() const {
  switch (kind) {
    case ResultKind::kInteger:
      return std::to_string(integer);
    case ResultKind::kFloat:
      return WriteNumber(real);
    case ResultKind::kText:
      break;
  }
  return text;
}

bool HostResult::operator==(const HostResult& other) const {
  if (kind != other.kind) return false;
  switch (kind) {
    case ResultKind::kInteger:
      return integer == other.integer;
    case ResultKind::kFloat:
      return real == other.real || (std::isnan(real) && std::isnan(other.real));
    case ResultKind::kText:
      break;
  }
  return text == other.text;
}

std::ostream& operator<<(std::ostream& out, const HostResult& result) {
  switch (result.kind) {
    case ResultKind::kInteger:
      return out << "integer " << result.integer;
    case ResultKind::kFloat:
      return out << "float " << WriteNumber(result.real);
    case ResultKind::kText:
      break;
  }
  return out << "text \"" << result.text << "\"";
}

}  // namespace tallyra::simhost

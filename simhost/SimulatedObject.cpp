#include "simhost/SimulatedObject.h"

#include <cstring>
#include <utility>

#include "simhost/CallChecker.h"
#include "simhost/ServiceEntries.h"
#include "simhost/SimulatedHost.h"

namespace tallyra::simhost {

namespace {

// The fill of the host's fresh memory, so that reads of unwritten bytes show.
constexpr unsigned char kFreshFill = 0xCD;
// The largest string space the host gives.
constexpr HostWord kMaxStringSpace = HostWord{1} << 28;
// What the host passes in the two words of a condition or an action that
// carry nothing.
constexpr HostWord kUnusedFirst = 0x11111111u;
constexpr HostWord kUnusedSecond = 0x22222222u;

}  // namespace

SimulatedObject::SimulatedObject(SimulatedHost& host, int id, std::string name)
    : host_(host), id_(id), name_(std::move(name)) {
  const std::size_t size = host.run_data_size_ < sizeof(HostObjectHeader) ? sizeof(HostObjectHeader)
                                                                          : host.run_data_size_;
  run_data_.reset(new unsigned char[size]);
  std::memset(run_data_.get(), kFreshFill, size);
  HostObjectHeader* h = header();
  h->run_header = &host.run_header_;
  h->flags = 0;
  SimulatedObject* self = this;
  std::memcpy(h->host_private, &self, sizeof self);
  edit_data_.reset(new unsigned char[host.run_info_.edit_data_size + 1u]);
  std::memset(edit_data_.get(), 0, host.run_info_.edit_data_size + 1u);
}

SimulatedObject::~SimulatedObject() {
  if (!created_) return;
  ActiveHost active(host_);
  string_spaces_.clear();
  const uint16_t answer = host_.exports().DestroyRunObject(header(), 0);
  if (answer != 0) Violation("DestroyRunObject answered " + std::to_string(answer));
}

void SimulatedObject::Violation(const std::string& what) {
  const std::string where = calls_.empty() ? name_ : calls_.back()->label();
  host_.Violation(where + ": " + what);
}

void SimulatedObject::BeginCall(OperationKind kind, int code, const std::vector<Arg>& args,
                                HostWord handle) {
  if (host_.call_depth_ == 0) {  // the host's next top-level call: earlier space goes
    for (const auto& object : host_.objects_) object->string_spaces_.clear();
  }
  ++host_.call_depth_;
  calls_.push_back(std::make_unique<CallChecker>(kind, name_ + ", " + OperationLabel(kind, code),
                                                 host_.DeclaredTypes(kind, code), args,
                                                 WidenedHandle(handle)));
}

void SimulatedObject::EndCall() {
  calls_.back()->CheckAllFetched([this](const std::string& what) { Violation(what); });
  calls_.pop_back();
  --host_.call_depth_;
}

template <typename Invoke>
auto SimulatedObject::InCall(OperationKind kind, int code, const std::vector<Arg>& args,
                             HostWord handle, Invoke invoke) {
  BeginCall(kind, code, args, handle);
  decltype(invoke()) answer = 0;
  try {
    answer = invoke();
  } catch (...) {
    Violation("an exception left the routine");
  }
  EndCall();
  return answer;
}

template <typename Routine>
Routine SimulatedObject::RoutineFor(OperationKind kind, int code, const std::vector<Arg>& args,
                                    const Routine* table) {
  const std::string label = OperationLabel(kind, code);
  CheckArguments(label, host_.DeclaredTypes(kind, code), args);
  host_.CheckDepth();
  const Routine routine = table[code];
  if (routine == nullptr) {
    host_.Violation(name_ + ", " + label + ": the routine table holds no routine");
  }
  return routine;
}

bool SimulatedObject::Condition(int code, const std::vector<Arg>& args) {
  ActiveHost active(host_);
  const ConditionRoutine routine =
      RoutineFor(OperationKind::kCondition, code, args, host_.condition_table());
  if (routine == nullptr) return false;
  const int32_t answer = InCall(OperationKind::kCondition, code, args, 0,
                                [&] { return routine(header(), kUnusedFirst, kUnusedSecond); });
  host_.ThrowKept();
  if (answer != 0 && answer != 1) {
    host_.Violation(name_ + ", " + OperationLabel(OperationKind::kCondition, code) + ": answered " +
                    std::to_string(answer) + ", neither 0 nor 1");
  }
  return answer != 0;
}

void SimulatedObject::Action(int code, const std::vector<Arg>& args) {
  ActiveHost active(host_);
  const ActionRoutine routine =
      RoutineFor(OperationKind::kAction, code, args, host_.action_table());
  if (routine == nullptr) return;
  const uint16_t answer = InCall(OperationKind::kAction, code, args, 0,
                                 [&] { return routine(header(), kUnusedFirst, kUnusedSecond); });
  host_.ThrowKept();
  if (answer != 0) {
    host_.Violation(name_ + ", " + OperationLabel(OperationKind::kAction, code) + ": answered " +
                    std::to_string(answer) + ", not 0");
  }
}

HostResult SimulatedObject::Expression(int code, const std::vector<Arg>& args) {
  ActiveHost active(host_);
  const ExpressionRoutine routine =
      RoutineFor(OperationKind::kExpression, code, args, host_.expression_table());
  if (routine == nullptr) return HostResult();
  // A handle whose low 16 bits have their sign bit set, with other bits above.
  const HostWord handle = 0x0001F000u | (call_count_++ & 0x0FFFu);
  header()->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
  const HostWord answer = InCall(OperationKind::kExpression, code, args, handle,
                                 [&] { return routine(header(), handle); });
  host_.ThrowKept();

  const std::string label = OperationLabel(OperationKind::kExpression, code);
  const uint16_t flags = header()->flags;
  if ((flags & kResultFloat) != 0 && (flags & kResultText) != 0) {
    host_.Violation(name_ + ", " + label + ": marked its result both a float and a text");
  }
  if ((flags & kResultText) != 0) return HostResult::Text(ResultText(answer, label));
  if ((flags & kResultFloat) != 0) {
    const uint32_t bits = static_cast<uint32_t>(answer);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return HostResult::Float(value);
  }
  return HostResult::Integer(static_cast<int32_t>(static_cast<uint32_t>(answer)));
}

std::string SimulatedObject::ResultText(HostWord address, const std::string& label) {
  if (address == 0) {
    host_.Violation(name_ + ", " + label + ": answered a null text");
    return std::string();
  }
  const char* text = reinterpret_cast<const char*>(address);
  for (const Space& space : string_spaces_) {
    const char* begin = space.bytes.get();
    if (text >= begin && text < begin + space.size) {
      const std::size_t room = static_cast<std::size_t>(begin + space.size - text);
      const void* end = std::memchr(text, '\0', room);
      if (end == nullptr) {
        host_.Violation(name_ + ", " + label +
                        ": answered a text that is not terminated within its string space");
        return std::string(text, room);
      }
      return std::string(text, static_cast<const char*>(end) - text);
    }
  }
  return std::string(text);  // the module's own constant text
}

HostWord SimulatedObject::Handed(CallChecker& call, const Arg* arg, HostWord kind,
                                 HostWord neutral) {
  if (arg == nullptr) return neutral;
  if (!arg->is_deferred()) return call.Hand(*arg, kind, /*lasting=*/true);
  if (host_.kept_) return neutral;  // the module is on its way back out
  std::optional<Arg> value;
  try {
    value = arg->Resolve();  // may call the module
  } catch (...) {
    host_.Keep(std::current_exception());
    return neutral;
  }
  return call.Hand(*value, kind, /*lasting=*/false);
}

HostWord SimulatedObject::EventParameter(HostWord kind) {
  const HostWord neutral = CallChecker::NeutralEventParameter(kind);
  if (calls_.empty()) {
    Violation("asked for an event parameter outside any call");
    return neutral;
  }
  CallChecker& call = *calls_.back();
  const Arg* arg =
      call.FetchEventParameter(kind, [this](const std::string& what) { Violation(what); });
  return Handed(call, arg, kind, neutral);
}

HostWord SimulatedObject::ExpressionParameter(bool first, HostWord kind, HostWord handle) {
  const HostWord neutral = CallChecker::NeutralExpressionParameter(kind);
  if (calls_.empty() || calls_.back()->kind() != OperationKind::kExpression) {
    Violation(std::string("called ") + CallChecker::ExpressionService(first) +
              " outside an expression");
    return neutral;
  }
  CallChecker& call = *calls_.back();
  const Arg* arg = call.FetchExpressionParameter(
      first, kind, handle, [this](const std::string& what) { Violation(what); });
  return Handed(call, arg, kind, neutral);
}

HostWord SimulatedObject::StringSpace(HostWord size) {
  if (calls_.empty()) {
    Violation("asked for string space outside any call");
    return 0;
  }
  if (size == 0 || size > kMaxStringSpace) return 0;
  Space space{std::unique_ptr<char[]>(new char[size]), static_cast<std::size_t>(size)};
  std::memset(space.bytes.get(), kFreshFill, space.size);
  string_spaces_.push_back(std::move(space));
  return reinterpret_cast<HostWord>(string_spaces_.back().bytes.get());
}

void SimulatedObject::Raise(HostWord code) {
  if (calls_.empty()) {
    Violation("raised an event outside any call");
    return;
  }
  const bool holds = EvaluateRaised(static_cast<uint32_t>(code));
  host_.raised_events_.push_back(RaisedEvent{id_, static_cast<uint32_t>(code), holds});
  const bool registered = code < host_.run_info_.condition_count;  // no event waits for others
  if (!registered || !host_.event_handler_ || host_.kept_) return;
  try {
    host_.event_handler_(*this, static_cast<uint32_t>(code), holds);  // may call the module
  } catch (...) {
    host_.Keep(std::current_exception());
  }
}

bool SimulatedObject::EvaluateRaised(uint32_t code) {
  if (code >= host_.run_info_.condition_count) {
    Violation("raised condition " + std::to_string(code) + ", which is not registered");
    return false;
  }
  if (host_.kept_) return false;
  try {
    host_.CheckDepth();
  } catch (...) {
    host_.Keep(std::current_exception());
    return false;
  }
  ConditionRoutine routine = host_.condition_table()[code];
  if (routine == nullptr) return false;
  static const std::vector<Arg> k_no_args;
  const int32_t answer = InCall(OperationKind::kCondition, static_cast<int>(code), k_no_args, 0,
                                [&] { return routine(header(), kUnusedFirst, kUnusedSecond); });
  return answer != 0;
}

}  // namespace tallyra::simhost

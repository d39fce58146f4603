#include "simhost/SimulatedHost.h"

#include <cstring>
#include <deque>
#include <stdexcept>
#include <utility>

#include "abi/Operations.h"
#include "platform/Win32.h"
#include "simhost/MessageBoxWatcher.h"

namespace {

// The word that the host keeps in its run header for function 115.
constexpr HostWord kCodePageWord = 0x5A17;
// The largest string space the host gives.
constexpr HostWord kMaxStringSpace = HostWord{1} << 28;
// The fill of the host's fresh memory, so that reads of unwritten bytes show.
constexpr unsigned char kFreshFill = 0xCD;
// The fill of editor buffers, to see what the module wrote.
constexpr char kEditorFill = '\xA5';
constexpr std::size_t kEditorGuard = 64;

const char kNoText[] = "";

// The host whose services answer: the one making the current call into the
// module (the general entry carries no object header to tell).
SimulatedHost* activeHost = nullptr;

int Index(OperationKind kind) { return static_cast<int>(kind); }

std::string Label(OperationKind kind, int code) {
  return std::string(OperationKindName(kind)) + " " + std::to_string(code);
}

std::string KindName(HostWord kind, bool expression) {
  if (expression) {
    if (kind == kExpressionParamText) return "a text";
    if (kind == kExpressionParamInteger) return "an integer";
  } else {
    if (kind == kEventParamText) return "a text";
    if (kind == kEventParamInteger) return "an integer";
    if (kind == kEventParamFloat) return "a float";
  }
  return "kind " + std::to_string(kind);
}

HostWord FloatBits(double value) {
  const float single = static_cast<float>(value);
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  return bits;
}

// The answer for an integer: its 32 bits, not widened.
HostWord IntegerWord(int32_t value) { return static_cast<uint32_t>(value); }

// The handle as the module must pass it back: its low 16 bits, widened with
// their sign.
HostWord WidenedHandle(HostWord handle) {
  return static_cast<HostWord>(static_cast<intptr_t>(static_cast<int16_t>(handle & 0xFFFF)));
}

}  // namespace

// Marks a host as the one whose services answer while it calls the module.
class SimulatedHost::ModuleCall {
 public:
  explicit ModuleCall(SimulatedHost& host) : previous_(activeHost) { activeHost = &host; }
  ~ModuleCall() { activeHost = previous_; }
  ModuleCall(const ModuleCall&) = delete;
  ModuleCall& operator=(const ModuleCall&) = delete;

 private:
  SimulatedHost* previous_;
};

struct SimulatedHost::HostEntry {
  HostObjectRecord record{};
  std::string name;                     // in the host's code page
  std::u16string wideName;              // the name offered when names are wide
  bool wideNameGiven = false;           // wideName is kept as given, not made from name
  HWND listBox = nullptr;               // List objects only
  SimulatedObject* instance = nullptr;  // the module's own objects
};

struct SimulatedObject::CallFrame {
  OperationKind kind;
  int code;
  std::string label;
  const std::vector<uint16_t>* declared;
  const std::vector<Arg>* args;
  std::size_t fetched = 0;
  HostWord expectedHandle = 0;
  std::deque<std::string> texts;  // parameter texts handed out; freed when the call ends
};

// The host's service entries that the module calls, in the host's calling
// convention. None lets an exception out.
struct HostServiceEntries {
  static SimulatedObject* ObjectOf(HostObjectHeader* header) {
    if (header == nullptr || activeHost == nullptr) return nullptr;
    SimulatedObject* object;
    std::memcpy(&object, header->hostPrivate, sizeof object);
    for (const auto& owned : activeHost->objects_) {
      if (owned.get() == object) return object;
    }
    activeHost->Violation("a host service was called with an object header that is not the host's");
    return nullptr;
  }

  static HostWord TLY_CALL GetEventParameter(HostObjectHeader* header, HostWord kind, HostWord) {
    try {
      SimulatedObject* object = ObjectOf(header);
      return object != nullptr ? object->EventParameter(kind) : 0;
    } catch (...) {
      return 0;
    }
  }

  static HostWord TLY_CALL GetFirstExpressionParameter(HostObjectHeader* header, HostWord kind,
                                                       HostWord handle) {
    try {
      SimulatedObject* object = ObjectOf(header);
      return object != nullptr ? object->ExpressionParameter(true, kind, handle) : 0;
    } catch (...) {
      return 0;
    }
  }

  static HostWord TLY_CALL GetNextExpressionParameter(HostObjectHeader* header, HostWord kind,
                                                      HostWord handle) {
    try {
      SimulatedObject* object = ObjectOf(header);
      return object != nullptr ? object->ExpressionParameter(false, kind, handle) : 0;
    } catch (...) {
      return 0;
    }
  }

  static HostWord TLY_CALL GetStringSpace(HostObjectHeader* header, HostWord size, HostWord) {
    try {
      SimulatedObject* object = ObjectOf(header);
      return object != nullptr ? object->StringSpace(size) : 0;
    } catch (...) {
      return 0;
    }
  }

  static void TLY_CALL GenerateEvent(HostObjectHeader* header, HostWord code, HostWord) {
    try {
      SimulatedObject* object = ObjectOf(header);
      if (object != nullptr) object->Raise(code);
    } catch (...) {
    }
  }

  static HostWord TLY_CALL CallHostFunction(void* editData, HostWord function, HostWord a,
                                            HostWord b, HostWord c) {
    try {
      return activeHost != nullptr ? activeHost->CallHostFunction(editData, function, a, b, c) : 0;
    } catch (...) {
      return 0;
    }
  }
};

// ---------------------------------------------------------------------------
// OperationInfo, ModuleDescription

bool OperationInfo::ParamIsText(std::size_t j) const { return TypeTakesText(paramType(j)); }

const std::vector<OperationInfo>& ModuleDescription::operations(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return conditions;
    case OperationKind::kAction:
      return actions;
    case OperationKind::kExpression:
      break;
  }
  return expressions;
}

const MenuEntry& ModuleDescription::menu(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return conditionMenu;
    case OperationKind::kAction:
      return actionMenu;
    case OperationKind::kExpression:
      break;
  }
  return expressionMenu;
}

// ---------------------------------------------------------------------------
// SimulatedObject

SimulatedObject::SimulatedObject(SimulatedHost& host, int id, std::string name)
    : host_(host), id_(id), name_(std::move(name)) {
  const std::size_t size =
      host.runDataSize_ < sizeof(HostObjectHeader) ? sizeof(HostObjectHeader) : host.runDataSize_;
  runData_.reset(new unsigned char[size]);
  std::memset(runData_.get(), kFreshFill, size);
  HostObjectHeader* h = header();
  h->runHeader = &host.runHeader_;
  h->flags = 0;
  SimulatedObject* self = this;
  std::memcpy(h->hostPrivate, &self, sizeof self);
  editData_.reset(new unsigned char[host.runInfo_.editDataSize + 1u]);
  std::memset(editData_.get(), 0, host.runInfo_.editDataSize + 1u);
}

SimulatedObject::~SimulatedObject() {
  if (!created_) return;
  SimulatedHost::ModuleCall call(host_);
  stringSpaces_.clear();
  const uint16_t answer = host_.exports().DestroyRunObject(header(), 0);
  if (answer != 0) Violation("DestroyRunObject answered " + std::to_string(answer));
}

void SimulatedObject::Violation(const std::string& what) {
  const std::string where = frames_.empty() ? name_ : frames_.back()->label;
  host_.Violation(where + ": " + what);
}

SimulatedObject::CallFrame& SimulatedObject::BeginCall(OperationKind kind, int code,
                                                       const std::vector<Arg>& args) {
  if (host_.callDepth_ == 0) {  // the host's next top-level call: earlier space goes
    for (const auto& object : host_.objects_) object->stringSpaces_.clear();
  }
  ++host_.callDepth_;
  auto frame = std::make_unique<CallFrame>();
  frame->kind = kind;
  frame->code = code;
  frame->label = name_ + ", " + Label(kind, code);
  frame->declared = &host_.DeclaredTypes(kind, code);
  frame->args = &args;
  frames_.push_back(std::move(frame));
  return *frames_.back();
}

void SimulatedObject::EndCall() {
  const CallFrame& frame = *frames_.back();
  if (frame.fetched < frame.declared->size()) {
    Violation("fetched " + std::to_string(frame.fetched) + " of its " +
              std::to_string(frame.declared->size()) + " parameters");
  }
  frames_.pop_back();
  --host_.callDepth_;
}

std::optional<Arg> SimulatedObject::ResolveArg(const Arg& arg) {
  if (!arg.isDeferred()) return arg;
  if (host_.kept_) return std::nullopt;  // the module is on its way back out
  try {
    return arg.Resolve();
  } catch (...) {
    host_.Keep(std::current_exception());
  }
  return std::nullopt;
}

namespace {

// Checks a caller's arguments against the declared parameters.
void CheckArguments(const std::string& label, const std::vector<uint16_t>& declared,
                    const std::vector<Arg>& args) {
  if (args.size() != declared.size()) {
    throw std::invalid_argument(label + " takes " + std::to_string(declared.size()) +
                                " parameters, not " + std::to_string(args.size()));
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i].isText() != TypeTakesText(declared[i])) {
      throw std::invalid_argument(label + ": parameter " + std::to_string(i) + " is " +
                                  (TypeTakesText(declared[i]) ? "a text" : "a number"));
    }
  }
}

}  // namespace

bool SimulatedObject::Condition(int code, const std::vector<Arg>& args) {
  SimulatedHost::ModuleCall call(host_);
  const std::string label = Label(OperationKind::kCondition, code);
  CheckArguments(label, host_.DeclaredTypes(OperationKind::kCondition, code), args);
  host_.CheckDepth();
  ConditionRoutine routine = host_.conditionTable()[code];
  if (routine == nullptr) {
    host_.Violation(name_ + ", " + label + ": the routine table holds no routine");
    return false;
  }
  BeginCall(OperationKind::kCondition, code, args);
  int32_t answer = 0;
  try {
    answer = routine(header(), 0x11111111u, 0x22222222u);
  } catch (...) {
    Violation("an exception left the routine");
  }
  EndCall();
  host_.ThrowKept();
  if (answer != 0 && answer != 1) {
    host_.Violation(name_ + ", " + label + ": answered " + std::to_string(answer) +
                    ", neither 0 nor 1");
  }
  return answer != 0;
}

void SimulatedObject::Action(int code, const std::vector<Arg>& args) {
  SimulatedHost::ModuleCall call(host_);
  const std::string label = Label(OperationKind::kAction, code);
  CheckArguments(label, host_.DeclaredTypes(OperationKind::kAction, code), args);
  host_.CheckDepth();
  ActionRoutine routine = host_.actionTable()[code];
  if (routine == nullptr) {
    host_.Violation(name_ + ", " + label + ": the routine table holds no routine");
    return;
  }
  BeginCall(OperationKind::kAction, code, args);
  uint16_t answer = 0;
  try {
    answer = routine(header(), 0x11111111u, 0x22222222u);
  } catch (...) {
    Violation("an exception left the routine");
  }
  EndCall();
  host_.ThrowKept();
  if (answer != 0)
    host_.Violation(name_ + ", " + label + ": answered " + std::to_string(answer) + ", not 0");
}

HostResult SimulatedObject::Expression(int code, const std::vector<Arg>& args) {
  SimulatedHost::ModuleCall call(host_);
  const std::string label = Label(OperationKind::kExpression, code);
  CheckArguments(label, host_.DeclaredTypes(OperationKind::kExpression, code), args);
  host_.CheckDepth();
  ExpressionRoutine routine = host_.expressionTable()[code];
  if (routine == nullptr) {
    host_.Violation(name_ + ", " + label + ": the routine table holds no routine");
    return HostResult();
  }
  // A handle whose low 16 bits have their sign bit set, with other bits above.
  const HostWord handle = 0x0001F000u | (callCount_++ & 0x0FFFu);
  CallFrame& frame = BeginCall(OperationKind::kExpression, code, args);
  frame.expectedHandle = WidenedHandle(handle);
  header()->flags &= static_cast<uint16_t>(~(kResultFloat | kResultText));
  HostWord answer = 0;
  try {
    answer = routine(header(), handle);
  } catch (...) {
    Violation("an exception left the routine");
  }
  EndCall();
  host_.ThrowKept();

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
  for (const Space& space : stringSpaces_) {
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

HostWord SimulatedObject::EventParameter(HostWord kind) {
  if (frames_.empty()) {
    Violation("asked for an event parameter outside any call");
    return kind == kEventParamText ? reinterpret_cast<HostWord>(kNoText) : 0;
  }
  CallFrame& frame = *frames_.back();
  const bool text = kind == kEventParamText;
  const HostWord neutral = text ? reinterpret_cast<HostWord>(kNoText) : 0;
  if (frame.kind == OperationKind::kExpression) {
    Violation("asked for an event parameter (expressions take theirs otherwise)");
    return neutral;
  }
  if (kind != kEventParamText && kind != kEventParamInteger && kind != kEventParamFloat) {
    Violation("asked for a parameter of unknown " + KindName(kind, false));
    return neutral;
  }
  const std::size_t i = frame.fetched++;
  if (i >= frame.declared->size()) {
    Violation("asked for parameter " + std::to_string(i) + " but declares " +
              std::to_string(frame.declared->size()));
    return neutral;
  }
  const uint16_t type = (*frame.declared)[i];
  const bool fits = type == kTypeText ? text : (type == kTypeNumber && !text);
  if (!fits) {
    Violation("asked for parameter " + std::to_string(i) + " (type " + std::to_string(type) +
              ") as " + KindName(kind, false));
  }
  if (i >= frame.args->size()) {
    Violation("asked for parameter " + std::to_string(i) + ", which the host cannot give");
    return neutral;
  }
  const std::optional<Arg> arg = ResolveArg((*frame.args)[i]);  // may call the module
  if (!arg) return neutral;
  if (text) {
    frame.texts.push_back(arg->ToString());
    return reinterpret_cast<HostWord>(frame.texts.back().c_str());
  }
  if (arg->isText()) return 0;
  return kind == kEventParamFloat ? FloatBits(arg->number()) : IntegerWord(arg->AsInteger());
}

HostWord SimulatedObject::ExpressionParameter(bool first, HostWord kind, HostWord handle) {
  const char* service = first ? "GetFirstExpressionParameter" : "GetNextExpressionParameter";
  const bool text = kind == kExpressionParamText;
  const HostWord neutral = text ? reinterpret_cast<HostWord>(kNoText) : 0;
  if (frames_.empty() || frames_.back()->kind != OperationKind::kExpression) {
    Violation(std::string("called ") + service + " outside an expression");
    return neutral;
  }
  CallFrame& frame = *frames_.back();
  if (first && frame.fetched != 0) Violation(std::string(service) + " after the first parameter");
  if (!first && frame.fetched == 0) Violation(std::string(service) + " before the first parameter");
  if (handle != frame.expectedHandle) {
    Violation(std::string(service) + " with handle " + std::to_string(handle) + ", not " +
              std::to_string(frame.expectedHandle));
  }
  if (kind != kExpressionParamText && kind != kExpressionParamInteger) {
    Violation("asked for a parameter of unknown " + KindName(kind, true));
    return neutral;
  }
  const std::size_t i = frame.fetched++;
  if (i >= frame.declared->size()) {
    Violation("asked for parameter " + std::to_string(i) + " but declares " +
              std::to_string(frame.declared->size()));
    return neutral;
  }
  const uint16_t type = (*frame.declared)[i];
  const bool fits =
      type == kTypeExpressionText
          ? text
          : ((type == kTypeExpressionInteger || type == kTypeExpressionNumber) && !text);
  if (!fits) {
    Violation("asked for parameter " + std::to_string(i) + " (type " + std::to_string(type) +
              ") as " + KindName(kind, true));
  }
  if (i >= frame.args->size()) return neutral;                  // checked before the call
  const std::optional<Arg> arg = ResolveArg((*frame.args)[i]);  // may call the module
  if (!arg) return neutral;
  if (text) {
    frame.texts.push_back(arg->ToString());
    return reinterpret_cast<HostWord>(frame.texts.back().c_str());
  }
  return IntegerWord(arg->AsInteger());
}

HostWord SimulatedObject::StringSpace(HostWord size) {
  if (frames_.empty()) {
    Violation("asked for string space outside any call");
    return 0;
  }
  if (size == 0 || size > kMaxStringSpace) return 0;
  Space space{std::unique_ptr<char[]>(new char[size]), static_cast<std::size_t>(size)};
  std::memset(space.bytes.get(), kFreshFill, space.size);
  stringSpaces_.push_back(std::move(space));
  return reinterpret_cast<HostWord>(stringSpaces_.back().bytes.get());
}

void SimulatedObject::Raise(HostWord code) {
  if (frames_.empty()) {
    Violation("raised an event outside any call");
    return;
  }
  const bool holds = EvaluateRaised(static_cast<uint32_t>(code));
  host_.raisedEvents_.push_back(RaisedEvent{id_, static_cast<uint32_t>(code), holds});
  const bool registered = code < host_.runInfo_.conditionCount;  // no event waits for others
  if (!registered || !host_.eventHandler_ || host_.kept_) return;
  try {
    host_.eventHandler_(*this, static_cast<uint32_t>(code), holds);  // may call the module
  } catch (...) {
    host_.Keep(std::current_exception());
  }
}

bool SimulatedObject::EvaluateRaised(uint32_t code) {
  if (code >= host_.runInfo_.conditionCount) {
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
  ConditionRoutine routine = host_.conditionTable()[code];
  if (routine == nullptr) return false;
  static const std::vector<Arg> kNoArgs;
  BeginCall(OperationKind::kCondition, static_cast<int>(code), kNoArgs);
  int32_t answer = 0;
  try {
    answer = routine(header(), 0x11111111u, 0x22222222u);
  } catch (...) {
    Violation("an exception left the routine");
  }
  EndCall();
  return answer != 0;
}

// ---------------------------------------------------------------------------
// SimulatedHost

SimulatedHost::SimulatedHost(const std::string& modulePath, HostOptions options)
    : SimulatedHost(std::make_unique<ModuleLibrary>(modulePath), options) {}

SimulatedHost::SimulatedHost(const ModuleExports& linked, HostOptions options)
    : SimulatedHost(std::make_unique<ModuleLibrary>(linked), options) {}

SimulatedHost::SimulatedHost(std::unique_ptr<ModuleLibrary> library, HostOptions options)
    : options_(options), library_(std::move(library)) {
  editor_.callHostFunction = &HostServiceEntries::CallHostFunction;
  functions_.getEventParameter = &HostServiceEntries::GetEventParameter;
  functions_.getFirstExpressionParameter = &HostServiceEntries::GetFirstExpressionParameter;
  functions_.getNextExpressionParameter = &HostServiceEntries::GetNextExpressionParameter;
  functions_.getStringSpace = &HostServiceEntries::GetStringSpace;
  functions_.generateEvent = &HostServiceEntries::GenerateEvent;
  runHeader_.functions = &functions_;
  runHeader_.editor = &editor_;
  runHeader_.codePageWord = kCodePageWord;
  SyncObjectList();

  watcher_ = std::make_unique<MessageBoxWatcher>(
      [this](const std::string& caption, const std::string& text) { OnMessageBox(caption, text); });

  ModuleCall call(*this);
  std::memset(&runInfo_, 0xAB, sizeof runInfo_);
  const uint16_t answer = exports().GetRunObjectInfos(&editor_, &runInfo_);
  if (answer != 1) Violation("GetRunObjectInfos answered " + std::to_string(answer));
  editData_.reset(new unsigned char[runInfo_.editDataSize + 1u]);
  std::memset(editData_.get(), 0, runInfo_.editDataSize + 1u);
  runDataSize_ = exports().GetRunObjectDataSize(&runHeader_, editData_.get());
  if (runDataSize_ < sizeof(HostObjectHeader) + 2 * sizeof(void*)) {
    throw std::runtime_error("the module asks for " + std::to_string(runDataSize_) +
                             " bytes of run-time data, less than the object header needs");
  }

  // The declared parameters of every operation, from its information record.
  for (OperationKind kind :
       {OperationKind::kCondition, OperationKind::kAction, OperationKind::kExpression}) {
    const int count = OperationCount(kind);
    for (int code = 0; code < count; ++code) {
      const std::vector<uint16_t> record = InfoRecord(kind, code);
      std::vector<uint16_t> types;
      if (record.size() >= 5) {
        types.assign(record.begin() + 5, record.begin() + 5 + record[4]);
      } else {
        Violation(Label(kind, code) + ": no information record");
      }
      declaredTypes_[Index(kind)].push_back(std::move(types));
    }
  }
}

SimulatedHost::~SimulatedHost() {
  {
    ModuleCall call(*this);
    while (!objects_.empty()) objects_.pop_back();  // DestroyRunObject, newest first
  }
  for (auto& entry : slots_) {
    if (entry != nullptr && entry->listBox != nullptr) DestroyWindow(entry->listBox);
  }
  watcher_.reset();
  library_.reset();
}

int SimulatedHost::OperationCount(OperationKind kind) const {
  switch (kind) {
    case OperationKind::kCondition:
      return runInfo_.conditionCount;
    case OperationKind::kAction:
      return runInfo_.actionCount;
    case OperationKind::kExpression:
      break;
  }
  return runInfo_.expressionCount;
}

const ConditionRoutine* SimulatedHost::conditionTable() const {
  return reinterpret_cast<const ConditionRoutine*>(runInfo_.conditionRoutines);
}

const ActionRoutine* SimulatedHost::actionTable() const {
  return reinterpret_cast<const ActionRoutine*>(runInfo_.actionRoutines);
}

const ExpressionRoutine* SimulatedHost::expressionTable() const {
  return reinterpret_cast<const ExpressionRoutine*>(runInfo_.expressionRoutines);
}

const std::vector<uint16_t>& SimulatedHost::DeclaredTypes(OperationKind kind, int code) const {
  const auto& all = declaredTypes_[Index(kind)];
  if (code < 0 || static_cast<std::size_t>(code) >= all.size()) {
    throw std::invalid_argument(Label(kind, code) + " is not registered (there are " +
                                std::to_string(all.size()) + ")");
  }
  return all[static_cast<std::size_t>(code)];
}

SimulatedObject& SimulatedHost::CreateObject(const std::string& name) {
  const int id = nextObjectId_++;
  std::unique_ptr<SimulatedObject> object(
      new SimulatedObject(*this, id, name.empty() ? "Tallyra " + std::to_string(id) : name));
  {
    ModuleCall call(*this);
    objects_.push_back(std::move(object));  // the host knows it before the module runs
    SimulatedObject& made = *objects_.back();
    const uint16_t answer = exports().CreateRunObject(made.header(), made.editData_.get(), nullptr);
    made.created_ = true;
    if (answer != 0) Violation("CreateRunObject answered " + std::to_string(answer));
  }
  SimulatedObject& made = *objects_.back();
  auto entry = std::make_unique<HostEntry>();
  std::memcpy(&entry->record.identifier, runInfo_.identifier, sizeof entry->record.identifier);
  entry->name = made.name();
  entry->instance = &made;
  slots_.push_back(std::move(entry));
  SyncObjectList();
  return made;
}

void SimulatedHost::DestroyObject(SimulatedObject& object) {
  for (auto& entry : slots_) {
    if (entry != nullptr && entry->instance == &object) entry.reset();
  }
  SyncObjectList();
  for (auto it = objects_.begin(); it != objects_.end(); ++it) {
    if (it->get() == &object) {
      objects_.erase(it);  // DestroyRunObject
      return;
    }
  }
}

void SimulatedHost::EncodeName(HostEntry& entry) const {
  if (options_.wideNames) {
    if (!entry.wideNameGiven) entry.wideName = WidenName(entry.name, options_.codePage);
    entry.record.name = entry.wideName.c_str();
  } else {
    entry.record.name = entry.name.c_str();
  }
}

void SimulatedHost::SyncObjectList() {
  slotArray_ = std::make_unique<HostObjectSlot[]>(slots_.size());
  int32_t live = 0;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    HostEntry* entry = slots_[i].get();
    if (entry == nullptr) continue;
    EncodeName(*entry);
    entry->record.listBox = reinterpret_cast<HostWord>(entry->listBox);
    slotArray_[i].object = &entry->record;
    ++live;
  }
  runHeader_.objectSlots = slots_.empty() ? nullptr : slotArray_.get();
  runHeader_.liveObjectCount = live;
}

void SimulatedHost::AddListObject(const std::string& name, const std::vector<std::string>& items) {
  AddListObjectEntry(name, nullptr, items);
}

void SimulatedHost::AddWideNamedListObject(const std::u16string& wideName, const std::string& label,
                                           const std::vector<std::string>& items) {
  AddListObjectEntry(label, &wideName, items);
}

void SimulatedHost::AddListObjectEntry(const std::string& name, const std::u16string* wideName,
                                       const std::vector<std::string>& items) {
  auto entry = std::make_unique<HostEntry>();
  entry->record.identifier = kListObjectIdentifier;
  entry->name = name;
  if (wideName != nullptr) {
    entry->wideName = *wideName;
    entry->wideNameGiven = true;
  }
  entry->listBox = CreateWindowExA(0, "LISTBOX", name.c_str(), 0, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr);
  if (entry->listBox == nullptr) throw std::runtime_error("cannot create a list box for " + name);
  for (const std::string& item : items) {
    SendMessageA(entry->listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  slots_.push_back(std::move(entry));
  SyncObjectList();
}

void SimulatedHost::AddObject(const std::string& name, uint32_t identifier) {
  auto entry = std::make_unique<HostEntry>();
  entry->record.identifier = identifier;
  entry->name = name;
  slots_.push_back(std::move(entry));
  SyncObjectList();
}

void SimulatedHost::AddFreeSlot() {
  slots_.push_back(nullptr);
  SyncObjectList();
}

bool SimulatedHost::RemoveObject(const std::string& name) {
  for (auto& entry : slots_) {
    if (entry != nullptr && entry->instance == nullptr && entry->name == name) {
      if (entry->listBox != nullptr) DestroyWindow(entry->listBox);
      entry.reset();
      SyncObjectList();
      return true;
    }
  }
  return false;
}

SimulatedHost::HostEntry* SimulatedHost::FindListObject(const std::string& name) const {
  for (const auto& entry : slots_) {
    if (entry != nullptr && entry->listBox != nullptr && entry->name == name) return entry.get();
  }
  throw std::invalid_argument("there is no List object named " + name);
}

std::vector<std::string> SimulatedHost::ListObjectItems(const std::string& name) const {
  HWND listBox = FindListObject(name)->listBox;
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
    item.resize(std::strlen(item.c_str()));
    items.push_back(std::move(item));
  }
  return items;
}

void SimulatedHost::AddListObjectItems(const std::string& name,
                                       const std::vector<std::string>& items) {
  HWND listBox = FindListObject(name)->listBox;
  for (const std::string& item : items) {
    SendMessageA(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void SimulatedHost::SetNamesWide(bool wide) {
  options_.wideNames = wide;
  SyncObjectList();
}

void SimulatedHost::SetCodePage(uint32_t codePage) {
  options_.codePage = codePage;
  SyncObjectList();
}

void SimulatedHost::ClearRecords() {
  violations_.clear();
  messageBoxes_.clear();
  raisedEvents_.clear();
  hostFunctionCalls_.clear();
}

void SimulatedHost::SetEventHandler(EventHandler handler) { eventHandler_ = std::move(handler); }

void SimulatedHost::CheckDepth() const {
  if (callDepth_ >= kMaxCallDepth) {
    throw std::length_error("calls into the module nest more than " +
                            std::to_string(kMaxCallDepth) + " deep");
  }
}

void SimulatedHost::Keep(std::exception_ptr thrown) {
  if (!kept_) kept_ = std::move(thrown);
}

void SimulatedHost::ThrowKept() {
  if (!kept_) return;
  std::exception_ptr thrown = std::move(kept_);
  kept_ = nullptr;
  std::rethrow_exception(thrown);
}

void SimulatedHost::SetMessageBoxCallback(std::function<void(const MessageBoxRecord&)> callback) {
  boxCallback_ = std::move(callback);
}

void SimulatedHost::OnMessageBox(const std::string& caption, const std::string& text) {
  messageBoxes_.push_back(MessageBoxRecord{caption, text});
  if (boxCallback_) boxCallback_(messageBoxes_.back());
}

HostWord SimulatedHost::CallHostFunction(void* editData, HostWord function, HostWord a, HostWord b,
                                         HostWord c) {
  hostFunctionCalls_.push_back(HostFunctionCall{editData, function, a, b, c});
  switch (function) {
    case kHostFunctionNamesAreWide:
      return options_.wideNames ? 1 : 0;
    case kHostFunctionNameCodePage:
      if (a != kCodePageWord) {
        Violation("function 115 was called with " + std::to_string(a) +
                  ", not the run header's word " + std::to_string(kCodePageWord));
      }
      return options_.codePage;
    default:
      return 0;
  }
}

// --- The editor's side.

HostWord SimulatedHost::Infos(HostWord query) {
  ModuleCall call(*this);
  return exports().GetInfos(query);
}

std::vector<uint16_t> SimulatedHost::InfoRecord(OperationKind kind, int code) {
  ModuleCall call(*this);
  const HostWord word = static_cast<HostWord>(code);
  uint16_t* codeWord = nullptr;
  switch (kind) {
    case OperationKind::kCondition:
      codeWord = exports().GetConditionInfos(&editor_, word);
      break;
    case OperationKind::kAction:
      codeWord = exports().GetActionInfos(&editor_, word);
      break;
    case OperationKind::kExpression:
      codeWord = exports().GetExpressionInfos(&editor_, word);
      break;
  }
  if (codeWord == nullptr) return {};
  const ::InfoRecord record(codeWord -
                            ::InfoRecord::kCodeWord);  // menu id and string id lie before
  return std::vector<uint16_t>(record.words(), record.words() + record.wordCount());
}

MenuEntry SimulatedHost::Menu(OperationKind kind) {
  ModuleCall call(*this);
  void* handle = nullptr;
  switch (kind) {
    case OperationKind::kCondition:
      handle = exports().GetConditionMenu(&editor_, nullptr, editData_.get());
      break;
    case OperationKind::kAction:
      handle = exports().GetActionMenu(&editor_, nullptr, editData_.get());
      break;
    case OperationKind::kExpression:
      handle = exports().GetExpressionMenu(&editor_, nullptr, editData_.get());
      break;
  }
  if (handle == nullptr) {
    Violation(std::string("the ") + OperationKindName(kind) + " menu is null");
    return MenuEntry{MenuEntry::Kind::kSubmenu, 0, "", 0, {}};
  }
  HMENU menu = static_cast<HMENU>(handle);
  MenuEntry tree = ReadMenu(menu);
  DestroyMenu(menu);  // the host owns what it is given
  return tree;
}

int SimulatedHost::CodeFromMenu(OperationKind kind, uint32_t menuId) {
  ModuleCall call(*this);
  switch (kind) {
    case OperationKind::kCondition:
      return exports().GetConditionCodeFromMenu(&editor_, menuId);
    case OperationKind::kAction:
      return exports().GetActionCodeFromMenu(&editor_, menuId);
    case OperationKind::kExpression:
      break;
  }
  return exports().GetExpressionCodeFromMenu(&editor_, menuId);
}

template <typename Write>
std::optional<std::string> SimulatedHost::EditorText(const char* what, uint32_t maxLength,
                                                     Write write) {
  ModuleCall call(*this);
  std::vector<char> buffer(std::size_t{maxLength} + kEditorGuard, kEditorFill);
  write(buffer.data(), static_cast<HostWord>(maxLength));
  for (std::size_t i = maxLength; i < buffer.size(); ++i) {
    if (buffer[i] != kEditorFill) {
      Violation(std::string(what) + " wrote past the maximum length " + std::to_string(maxLength));
      break;
    }
  }
  bool touched = false;
  for (std::size_t i = 0; i < maxLength; ++i) touched = touched || buffer[i] != kEditorFill;
  if (!touched) return std::nullopt;
  const void* end = std::memchr(buffer.data(), '\0', maxLength);
  if (end == nullptr) {
    Violation(std::string(what) + " left no terminator within the maximum length");
    return std::string(buffer.data(), maxLength);
  }
  return std::string(buffer.data(), static_cast<const char*>(end) - buffer.data());
}

std::optional<std::string> SimulatedHost::DisplayString(OperationKind kind, int code,
                                                        uint32_t maxLength) {
  const HostWord word = static_cast<HostWord>(code);
  return EditorText("a display string", maxLength, [&](char* buffer, HostWord max) {
    switch (kind) {
      case OperationKind::kCondition:
        exports().GetConditionString(&editor_, word, buffer, max);
        break;
      case OperationKind::kAction:
        exports().GetActionString(&editor_, word, buffer, max);
        break;
      case OperationKind::kExpression:
        exports().GetExpressionString(&editor_, word, buffer, max);
        break;
    }
  });
}

std::optional<std::string> SimulatedHost::Title(OperationKind kind, int code, int param,
                                                uint32_t maxLength) {
  const HostWord word = static_cast<HostWord>(code);
  const HostWord paramWord = static_cast<HostWord>(param);
  return EditorText("a title", maxLength, [&](char* buffer, HostWord max) {
    switch (kind) {
      case OperationKind::kCondition:
        exports().GetConditionTitle(&editor_, word, paramWord, buffer, max);
        break;
      case OperationKind::kAction:
        exports().GetActionTitle(&editor_, word, paramWord, buffer, max);
        break;
      case OperationKind::kExpression:
        exports().GetExpressionTitle(&editor_, word, buffer, max);
        break;
    }
  });
}

std::optional<std::string> SimulatedHost::ExpressionParam(int code, int param, uint32_t maxLength) {
  return EditorText("an expression parameter", maxLength, [&](char* buffer, HostWord max) {
    exports().GetExpressionParam(&editor_, static_cast<HostWord>(code),
                                 static_cast<HostWord>(param), buffer, max);
  });
}

HostRect SimulatedHost::ObjectRect(HostRect rect) {
  ModuleCall call(*this);
  exports().GetObjectRect(&editor_, &rect, nullptr, editData_.get());
  return rect;
}

std::vector<uint16_t> SimulatedHost::DebugTree() {
  ModuleCall call(*this);
  HostObjectHeader* header = objects_.empty() ? nullptr : objects_.front()->header();
  const uint16_t* words = exports().GetDebugTree(header);
  std::vector<uint16_t> tree;
  if (words == nullptr) return tree;
  for (std::size_t i = 0; i < 256; ++i) {
    tree.push_back(words[i]);
    if (words[i] == 0xFFFF) break;
  }
  return tree;
}

HostWord SimulatedHost::Properties() {
  ModuleCall call(*this);
  return exports().GetProperties(&editor_, editData_.get(), 0);
}

ModuleDescription SimulatedHost::Describe() {
  ModuleDescription description;
  {
    ModuleCall call(*this);
    constexpr std::size_t kTextBytes = 1024;
    std::vector<char> texts[5];
    for (auto& text : texts) text.assign(kTextBytes, '\0');
    exports().GetObjInfos(&editor_, editData_.get(), texts[0].data(), texts[1].data(),
                          texts[2].data(), texts[3].data(), texts[4].data());
    description.name = texts[0].data();
    description.author = texts[1].data();
    description.copyright = texts[2].data();
    description.comment = texts[3].data();
    description.web = texts[4].data();
  }
  description.runInfo = runInfo_;
  description.runDataSize = runDataSize_;
  for (OperationKind kind :
       {OperationKind::kCondition, OperationKind::kAction, OperationKind::kExpression}) {
    std::vector<OperationInfo>& operations =
        kind == OperationKind::kCondition ? description.conditions
        : kind == OperationKind::kAction  ? description.actions
                                          : description.expressions;
    for (int code = 0; code < OperationCount(kind); ++code) {
      OperationInfo info;
      info.kind = kind;
      info.code = code;
      info.record = InfoRecord(kind, code);
      if (info.record.size() < 5) continue;
      info.displayString = DisplayString(kind, code).value_or("");
      for (std::size_t j = 0; j < info.paramCount(); ++j) {
        const int param = static_cast<int>(j);
        info.paramTitles.push_back((kind == OperationKind::kExpression
                                        ? ExpressionParam(code, param)
                                        : Title(kind, code, param))
                                       .value_or(""));
      }
      operations.push_back(std::move(info));
    }
  }
  description.conditionMenu = Menu(OperationKind::kCondition);
  description.actionMenu = Menu(OperationKind::kAction);
  description.expressionMenu = Menu(OperationKind::kExpression);
  return description;
}

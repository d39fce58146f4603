#include "tallyra/ModuleHost.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <stdexcept>
#include <utility>

#include "simhost/SimulatedHost.h"

namespace tallyra::cli {

using script::HostObserver;
using script::ScriptArg;
using script::ScriptValue;
using simhost::Arg;
using simhost::HostResult;
using simhost::MessageBoxRecord;
using simhost::ResultKind;
using simhost::SimulatedHost;
using simhost::SimulatedObject;

namespace {

double NumberOf(const ScriptValue& value) {
  switch (value.kind) {
    case ScriptValue::Kind::kInteger:
      return value.integer;
    case ScriptValue::Kind::kFloat:
      return value.real;
    case ScriptValue::Kind::kText:
      break;
  }
  return 0.0;
}

// Each argument worked out when the routine fetches it.
std::vector<Arg> ToArgs(const std::vector<ScriptArg>& script_args) {
  std::vector<Arg> args;
  args.reserve(script_args.size());
  for (const ScriptArg& a : script_args) {
    const std::function<ScriptValue()>& value = a.value;
    if (a.text) {
      args.push_back(Arg::DeferredText([&value] { return FormatValue(value()); }));
    } else {
      args.push_back(Arg::DeferredNumber([&value] { return NumberOf(value()); }));
    }
  }
  return args;
}

class SimulatedModuleHost : public ModuleHost {
 public:
  explicit SimulatedModuleHost(const std::string& path) : host_(path) {
    object_ = &host_.CreateObject();
    description_ = host_.Describe().object;
    host_.SetMessageBoxCallback([this](const MessageBoxRecord& box) {
      if (observer_ != nullptr) observer_->MessageBoxShown(box.caption, box.text);
    });
    // The events that wait for a raised condition run inside GenerateEvent.
    host_.SetEventHandler([this](SimulatedObject&, uint32_t code, bool) {
      if (observer_ != nullptr) observer_->EventRaised(static_cast<int>(code));
    });
    ReportViolations();
    host_.ClearRecords();
  }

  ~SimulatedModuleHost() override {
    host_.SetMessageBoxCallback(nullptr);
    host_.SetEventHandler(nullptr);
  }

  const ObjectDescription& description() const override { return description_; }

  void SetObserver(HostObserver* observer) override { observer_ = observer; }

  // Makes one call into the object and then says on standard error whether
  // the module broke the host's rules, however the call ends.
  template <typename Call>
  auto Reporting(Call call) {
    struct AfterCall {
      SimulatedModuleHost& host;
      ~AfterCall() {
        host.ReportViolations();
        host.host_.ClearRecords();
      }
    } after{*this};
    return call();
  }

  void RunAction(int code, const std::vector<ScriptArg>& args) override {
    Reporting([&] { object_->Action(code, ToArgs(args)); });
  }

  bool TestCondition(int code, const std::vector<ScriptArg>& args) override {
    return Reporting([&] { return object_->Condition(code, ToArgs(args)); });
  }

  ScriptValue Evaluate(int code, const std::vector<ScriptArg>& args) override {
    HostResult r = Reporting([&] { return object_->Expression(code, ToArgs(args)); });
    switch (r.kind) {
      case ResultKind::kInteger:
        return ScriptValue::Integer(r.integer);
      case ResultKind::kFloat:
        return ScriptValue::Float(r.real);
      case ResultKind::kText:
        break;
    }
    return ScriptValue::Text(std::move(r.text));
  }

  bool SetListObject(const std::string& name, const std::vector<std::string>& items,
                     std::string* error) override {
    if (name == object_->name()) {
      *error = "the host's object list already has an object named \"" + name +
               "\": the Tallyra object itself";
      return false;
    }
    // Every object of this name other than the Tallyra object is a List
    // object that this session made: replace it.
    while (host_.RemoveObject(name)) {
    }
    host_.AddListObject(name, items);
    return true;
  }

  bool GetListObject(const std::string& name, std::vector<std::string>* items) override {
    try {
      *items = host_.ListObjectItems(name);
    } catch (const std::invalid_argument&) {
      return false;
    }
    return true;
  }

 private:
  void ReportViolations() {
    for (const std::string& v : host_.violations()) {
      std::fflush(stdout);
      std::fprintf(stderr, "tallyra: the module broke the host's rules: %s\n", v.c_str());
    }
  }

  SimulatedHost host_;
  SimulatedObject* object_ = nullptr;
  ObjectDescription description_;
  HostObserver* observer_ = nullptr;
};

}  // namespace

std::unique_ptr<ModuleHost> ModuleHost::Load(const std::string& path, std::string* error) {
  try {
    return std::make_unique<SimulatedModuleHost>(path);
  } catch (const std::exception& e) {
    *error = e.what();
    if (error->find(path) == std::string::npos) *error = path + ": " + *error;
  }
  return nullptr;
}

}  // namespace tallyra::cli

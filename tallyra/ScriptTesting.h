// Test support for the script reader: a description of the object as the
// module's catalogue declares it, and a fake host that records every call.
#ifndef TALLYRA_TALLYRA_SCRIPTTESTING_H_
#define TALLYRA_TALLYRA_SCRIPTTESTING_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tallyra/ObjectDescription.h"
#include "tallyra/ScriptHost.h"

namespace tallyra::script {

// The object's 2 conditions, 13 actions and 6 expressions, read from the
// module's catalogue (linked in), so that the reader can be tested without
// loading the module.
ObjectDescription RegistryDescription();

// A host that records each call as a line ("action 3 \"a\" 2.5") and answers
// from tables that the test fills. It works out a call's arguments in order
// before it records the call, so a call nested in an argument is recorded
// first.
class FakeScriptHost : public ScriptHost {
 public:
  void SetObserver(HostObserver* observer) override { observer_ = observer; }
  void RunAction(int code, const std::vector<ScriptArg>& args) override;
  bool TestCondition(int code, const std::vector<ScriptArg>& args) override;
  ScriptValue Evaluate(int code, const std::vector<ScriptArg>& args) override;
  bool SetListObject(const std::string& name, const std::vector<std::string>& items,
                     std::string* error) override;
  bool GetListObject(const std::string& name, std::vector<std::string>* items) override;

  std::vector<std::string> calls;
  // What an action does besides being recorded (raise an event, show a box).
  std::map<int, std::function<void(HostObserver&)>> actionEffects;
  std::map<int, ScriptValue> expressionResults;  // by code; Integer(0) when absent
  std::map<std::string, std::vector<std::string>> listObjects;

 private:
  // Works out the arguments and records the call; answers the values.
  std::vector<ScriptValue> Record(const std::string& what, int code,
                                  const std::vector<ScriptArg>& args);
  HostObserver* observer_ = nullptr;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTTESTING_H_

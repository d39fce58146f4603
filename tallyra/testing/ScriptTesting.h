// Test support for the script reader (linked into tests and fuzzers only): a
// description of the object as the module's catalogue declares it, and a fake
// host that records every call.
#ifndef TALLYRA_TALLYRA_TESTING_SCRIPTTESTING_H_
#define TALLYRA_TALLYRA_TESTING_SCRIPTTESTING_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "abi/ObjectDescription.h"
#include "tallyra/ScriptHost.h"

namespace tallyra::script {

// Every operation of the module's catalogue (linked in), as the editor would
// read it, so that the reader can be tested without loading the module. The
// menus are left empty.
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
  std::map<int, std::function<void(HostObserver&)>> action_effects;
  std::map<int, ScriptValue> expression_results;  // by code; Integer(0) when absent
  std::map<std::string, std::vector<std::string>> list_objects;

 private:
  // Works out the arguments and records the call; answers the values.
  std::vector<ScriptValue> Record(const std::string& what, int code,
                                  const std::vector<ScriptArg>& args);
  HostObserver* observer_ = nullptr;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_TESTING_SCRIPTTESTING_H_

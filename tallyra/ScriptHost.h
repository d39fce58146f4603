// ScriptHost: what running a script needs of the host: one object instance
// whose actions, conditions and expressions it calls by code, the host's own
// List objects, and word of the message boxes that the object shows and of
// the events that it raises. ModuleHost implements it over the simulated host
// and the loaded module; the reader's tests implement it with a fake.
#ifndef TALLYRA_TALLYRA_SCRIPTHOST_H_
#define TALLYRA_TALLYRA_SCRIPTHOST_H_

#include <functional>
#include <string>
#include <vector>

#include "tallyra/ScriptValue.h"

namespace tallyra::script {

// One argument of a call into the object, of the kind that its parameter
// takes (text when the parameter is a text). Its value is worked out when the
// object fetches the parameter, as the host evaluates an expression
// parameter: value() may call into the object again, nested in the call.
struct ScriptArg {
  bool text = false;
  std::function<ScriptValue()> value;
};

// Told, while a call into the object runs, what the object does to the host.
class HostObserver {
 public:
  virtual ~HostObserver() = default;
  // The object showed a message box; the host answered it with OK.
  virtual void MessageBoxShown(const std::string& caption, const std::string& text) = 0;
  // The object raised its condition with this code (GenerateEvent). Called
  // inside the object's GenerateEvent, while the raising call still runs: the
  // observer may call into the object again. What it throws reaches the
  // caller of the call that raised the event.
  virtual void EventRaised(int condition_code) = 0;
};

class ScriptHost {
 public:
  virtual ~ScriptHost() = default;

  // The observer told of message boxes and events; null for none. Not owned.
  virtual void SetObserver(HostObserver* observer) = 0;

  // Calls the object's action, condition or expression with these arguments,
  // one per declared parameter, each of the kind that the parameter takes (a
  // number where a number is declared, a text where a text is). The host
  // works each out when the routine fetches it and hands it in the form that
  // the routine asks for. What an argument throws reaches the caller once the
  // object has returned.
  virtual void RunAction(int code, const std::vector<ScriptArg>& args) = 0;
  virtual bool TestCondition(int code, const std::vector<ScriptArg>& args) = 0;
  virtual ScriptValue Evaluate(int code, const std::vector<ScriptArg>& args) = 0;

  // Makes the host's List object of this name hold these items, replacing
  // any earlier List object of that name. False with *error set when the
  // host cannot have such a List object (another host object has the name).
  virtual bool SetListObject(const std::string& name, const std::vector<std::string>& items,
                             std::string* error) = 0;
  // The items of the List object of this name; false when there is none.
  virtual bool GetListObject(const std::string& name, std::vector<std::string>* items) = 0;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTHOST_H_

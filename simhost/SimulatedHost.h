// SimulatedHost: plays the host's part for a built module file, through the
// module's exports and routine tables only, the way the host itself does.
//
//   SimulatedHost host(module_path);                // loads it; every export must resolve
//   SimulatedObject& object = host.CreateObject();  // RunData + CreateRunObject
//   object.Action(ActionCode::kAppendText, {Arg::Text("s"), Arg::Text("a")});
//   HostResult length = object.Expression(ExpressionCode::kLength, {Arg::Text("s")});  // 1
//   bool equal = object.Condition(ConditionCode::kEqual, {Arg::Number(4), Arg::Number(4)});
//   host.AddListObject("List 1", {"a", "b"});
//   host.ListObjectItems("List 1");
//   ModuleDescription module = host.Describe();     // texts, records, menus
//
// The host checks the module's side of every exchange (CallChecker, per
// call; EditorReader, for the editor's texts; actions answer 0, conditions 0
// or 1): what breaks the rules is recorded in violations() and the call goes
// on with a neutral answer. A caller's own mistake (an unregistered code, the
// wrong number or kind of arguments) throws std::invalid_argument before the
// module is called. Message boxes (answered with OK at once), raised events
// and calls of the general entry are recorded for the caller.
//
// Calls nest: a deferred parameter (Arg::Deferred...) is worked out inside
// the routine's fetch of it, and the event handler (SetEventHandler) runs
// inside GenerateEvent; either may call the module again, at most
// kMaxCallDepth deep in all (one more throws std::length_error). What either
// throws does not cross the module: the host keeps it, answers neutrally,
// works out and runs no more until the module returns, and then throws it
// from the Condition, Action or Expression call under way.
//
// Ownership: the host owns the loaded module, every object it creates
// (destroyed with DestroyRunObject when the host ends, if not before), its
// object list, and the texts it hands over. String space given to a routine
// stays valid until the host's next top-level call into the module (one made
// while no routine runs); a parameter text until the call that fetched it
// returns. One thread only.
#ifndef TALLYRA_SIMHOST_SIMULATEDHOST_H_
#define TALLYRA_SIMHOST_SIMULATEDHOST_H_

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "abi/OperationCodes.h"
#include "simhost/CodePage.h"
#include "simhost/EditorReader.h"
#include "simhost/HostValues.h"
#include "simhost/MenuTree.h"
#include "simhost/ModuleLibrary.h"
#include "simhost/ObjectList.h"
#include "simhost/SimulatedObject.h"

namespace tallyra::simhost {

class MessageBoxWatcher;

struct MessageBoxRecord {
  std::string caption;
  std::string text;
};

struct RaisedEvent {
  int object_id;  // SimulatedObject::id() of the object that raised it
  uint32_t code;  // the condition raised
  bool holds;     // what the condition answered when the host evaluated it
};

// Runs inside the GenerateEvent call of `object`, after the host has evaluated
// the raised condition `code` (holds is its answer): what the host does with
// the event, such as running the conditions and actions of the events that
// wait for it.
using EventHandler = std::function<void(SimulatedObject& object, uint32_t code, bool holds)>;

struct HostFunctionCall {
  void* edit_data;
  HostWord function;
  HostWord a;
  HostWord b;
  HostWord c;
};

class SimulatedHost {
 public:
  // Loads the module file and reads its run-time information record; throws
  // std::runtime_error when the file does not load or an export is missing.
  explicit SimulatedHost(const std::string& module_path, HostOptions options = {});
  // The same for a module whose code is linked into this program
  // (simhost/testing/LinkedModule.h), so that a test can look inside it.
  explicit SimulatedHost(const ModuleExports& linked, HostOptions options = {});
  ~SimulatedHost();
  SimulatedHost(const SimulatedHost&) = delete;
  SimulatedHost& operator=(const SimulatedHost&) = delete;

  // --- The module.
  const ModuleExports& exports() const { return library_->exports(); }
  const RunObjectInfoRecord& run_info() const { return run_info_; }
  uint16_t run_data_size() const { return run_data_size_; }
  int OperationCount(OperationKind kind) const;
  // The routine tables handed over by GetRunObjectInfos (count + 1 entries).
  const ConditionRoutine* condition_table() const;
  const ActionRoutine* action_table() const;
  const ExpressionRoutine* expression_table() const;

  // --- Instances. An object's name appears in the host's object list with
  // the module's identifier; the default is "Tallyra <id>".
  SimulatedObject& CreateObject(const std::string& name = "");
  void DestroyObject(SimulatedObject& object);
  const std::vector<std::unique_ptr<SimulatedObject>>& objects() const { return objects_; }

  // --- The host's object list. Names are 8-bit texts in the host's code page;
  // a host that keeps names wide offers them converted to UTF-16. List objects
  // carry the List identifier and a list box (CreateWindowExA "LISTBOX").
  void AddListObject(const std::string& name, const std::vector<std::string>& items = {});
  // A List object whose name a host that keeps names wide holds as wide_name,
  // any 16-bit text, whether or not the host's code page can write it; label
  // is its name for the host's own calls here (ListObjectItems, say) and what
  // a host that keeps 8-bit names holds.
  void AddWideNamedListObject(const std::u16string& wide_name, const std::string& label,
                              const std::vector<std::string>& items = {});
  void AddObject(const std::string& name, uint32_t identifier);  // any other object
  void AddFreeSlot();
  // Frees the slot of the first live object of that name that is not one of
  // the module's own; false if none.
  bool RemoveObject(const std::string& name);
  // The items of the first List object of that name, in list-box order;
  // throws std::invalid_argument when there is none.
  std::vector<std::string> ListObjectItems(const std::string& name) const;
  void AddListObjectItems(const std::string& name, const std::vector<std::string>& items);
  const HostOptions& options() const { return options_; }
  void SetNamesWide(bool wide);
  void SetCodePage(uint32_t code_page);

  // --- What happened.
  const std::vector<std::string>& violations() const { return violations_; }
  const std::vector<MessageBoxRecord>& message_boxes() const { return message_boxes_; }
  const std::vector<RaisedEvent>& raised_events() const { return raised_events_; }
  const std::vector<HostFunctionCall>& host_function_calls() const { return host_function_calls_; }
  void ClearRecords();
  // Called inside every GenerateEvent (see EventHandler); null for none.
  void SetEventHandler(EventHandler handler);
  // Calls of routines under way now, every object's, outermost included.
  int CallDepthForTesting() const { return call_depth_; }
  static constexpr int kMaxCallDepth = 512;
  // Called for every message box, after it is recorded.
  void SetMessageBoxCallback(std::function<void(const MessageBoxRecord&)> callback);

  // --- The editor's side.
  HostWord Infos(HostWord query);
  ModuleDescription Describe();
  // The information record of one code, menu id first; empty when the module
  // answers a null record.
  std::vector<uint16_t> InfoRecord(OperationKind kind, int code);
  // The menu, read back into a tree (and then destroyed, as its owner).
  MenuEntry Menu(OperationKind kind);
  int CodeFromMenu(OperationKind kind, uint32_t menu_id);
  // Editor texts, asked with this maximum length. nullopt when the module left
  // the buffer untouched. Writing past the maximum is a protocol violation.
  std::optional<std::string> DisplayString(OperationKind kind, int code, uint32_t max_length = 256);
  // Parameter titles: GetConditionTitle / GetActionTitle; for expressions
  // GetExpressionTitle (which takes no parameter).
  std::optional<std::string> Title(OperationKind kind, int code, int param,
                                   uint32_t max_length = 256);
  std::optional<std::string> ExpressionParam(int code, int param, uint32_t max_length = 256);
  HostRect ObjectRect(HostRect rect);
  std::vector<uint16_t> DebugTree();
  HostWord Properties();

 private:
  friend class SimulatedObject;
  friend class ServiceEntries;

  SimulatedHost(std::unique_ptr<ModuleLibrary> library, HostOptions options);

  void Violation(const std::string& what) { violations_.push_back(what); }
  // Throws std::length_error when another call would nest too deep.
  void CheckDepth() const;
  // Keeps what a deferred parameter or the event handler threw, to throw it
  // again once the module returns; the first one only.
  void Keep(std::exception_ptr thrown);
  // Throws what was kept, if anything, and forgets it.
  void ThrowKept();
  HostWord CallHostFunction(void* edit_data, HostWord function, HostWord a, HostWord b, HostWord c);
  void OnMessageBox(const std::string& caption, const std::string& text);
  const std::vector<uint16_t>& DeclaredTypes(OperationKind kind, int code) const;

  HostOptions options_;
  std::unique_ptr<ModuleLibrary> library_;
  RunObjectInfoRecord run_info_{};
  uint16_t run_data_size_ = 0;
  std::vector<std::vector<uint16_t>> declared_types_[3];  // per kind and code

  HostEditor editor_{};
  HostRunFunctions functions_{};
  HostRunHeader run_header_{};
  std::unique_ptr<unsigned char[]> edit_data_;  // the editor's edit data
  std::unique_ptr<EditorReader> editor_reader_;
  std::unique_ptr<ObjectList> object_list_;

  std::vector<std::unique_ptr<SimulatedObject>> objects_;
  int next_object_id_ = 1;

  std::vector<std::string> violations_;
  std::vector<MessageBoxRecord> message_boxes_;
  std::vector<RaisedEvent> raised_events_;
  std::vector<HostFunctionCall> host_function_calls_;
  std::function<void(const MessageBoxRecord&)> box_callback_;
  EventHandler event_handler_;
  int call_depth_ = 0;
  std::exception_ptr kept_;
  std::unique_ptr<MessageBoxWatcher> watcher_;
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_SIMULATEDHOST_H_

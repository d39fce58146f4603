// SimulatedHost: plays the host's part for a built module file, through the
// module's exports and routine tables only, the way the host itself does.
//
//   SimulatedHost host(modulePath);                 // loads it; every export must resolve
//   SimulatedObject& object = host.CreateObject();  // RunData + CreateRunObject
//   object.Action(ActionCode::kAppendText, {Arg::Text("s"), Arg::Text("a")});
//   HostResult length = object.Expression(ExpressionCode::kLength, {Arg::Text("s")});  // 1
//   bool equal = object.Condition(ConditionCode::kEqual, {Arg::Number(4), Arg::Number(4)});
//   host.AddListObject("List 1", {"a", "b"});
//   host.ListObjectItems("List 1");
//   ModuleDescription module = host.Describe();     // texts, records, menus
//
// The host checks the module's side of every exchange. An operation must fetch
// exactly its declared parameters, once each, in declaration order, with the
// kind that its type code calls for (text for 45 and 3; integer or float for
// 22; integer for 1 and 2), and expressions must ask with the handle they were
// given (its low 16 bits widened with their sign), first through
// GetFirstExpressionParameter and then through GetNextExpressionParameter;
// actions answer 0 and conditions 0 or 1; an editor text may not be written
// past the maximum length handed over. Whatever breaks these rules is recorded
// as a protocol violation (violations()) and the call goes on with a neutral
// answer. A caller's own mistake (an unregistered code, the wrong number or
// kind of arguments) throws std::invalid_argument before the module is called.
//
// Records kept for the caller: message boxes shown (each is answered with OK
// at once, and also passed to the box callback), events raised with
// GenerateEvent (the raised condition is evaluated through the condition
// table, as the host would), and calls of the host's general entry.
//
// Nested calls, as the host makes them: a deferred parameter (Arg::Deferred...)
// is worked out inside the routine's fetch of it, and an event handler
// (SetEventHandler) runs inside the routine's GenerateEvent call; either may
// call the module's routines again, so calls nest. The checks above hold for
// each call on its own: every call has its own frame (its parameters, their
// order, its handle), and a service asked for while an inner call runs is the
// inner call's. Calls nest at most kMaxCallDepth deep (counting every object's
// calls): one more throws std::length_error before the module is called.
// Whatever a deferred parameter or the event handler throws cannot cross the
// module: the host keeps it, answers the routine neutrally (a parameter 0 or
// the empty text, the event handled), works out no more deferred parameters
// and runs no more handlers until the module returns, and then throws it again
// from the Condition, Action or Expression call that was under way.
//
// Ownership: the host owns the loaded module, every object it creates (they
// are destroyed with DestroyRunObject when the host ends, if not before), the
// host objects of its object list with their list boxes, and the texts it
// hands to the module. String space given to a routine stays valid until the
// host's next top-level call into the module (one made while no routine of any
// object runs): nested calls free none, so neither the space of a routine that
// is still running nor that of a call nested in it goes while that routine
// runs. A parameter text stays valid until the call that fetched it returns.
// One thread only.
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
#include "simhost/HostValues.h"
#include "simhost/MenuTree.h"
#include "simhost/ModuleLibrary.h"

class MessageBoxWatcher;
class SimulatedHost;
class SimulatedObject;

// Settings of the host that the module asks for through its general entry.
struct HostOptions {
  bool wideNames = false;                // function 113: names kept as 16-bit characters
  uint32_t codePage = kCodePageWestern;  // function 115: 1252 or 65001
};

struct MessageBoxRecord {
  std::string caption;
  std::string text;
};

struct RaisedEvent {
  int objectId;   // SimulatedObject::id() of the object that raised it
  uint32_t code;  // the condition raised
  bool holds;     // what the condition answered when the host evaluated it
};

// Runs inside the GenerateEvent call of `object`, after the host has evaluated
// the raised condition `code` (holds is its answer): what the host does with
// the event, such as running the conditions and actions of the events that
// wait for it.
using EventHandler = std::function<void(SimulatedObject& object, uint32_t code, bool holds)>;

struct HostFunctionCall {
  void* editData;
  HostWord function;
  HostWord a;
  HostWord b;
  HostWord c;
};

// One registered operation as the editor learns it.
struct OperationInfo {
  OperationKind kind = OperationKind::kAction;
  int code = 0;
  std::vector<uint16_t> record;  // the whole information record, menu id first
  std::string displayString;
  std::vector<std::string> paramTitles;

  uint16_t menuId() const { return record.at(0); }
  uint16_t flags() const { return record.at(3); }
  std::size_t paramCount() const { return record.at(4); }
  uint16_t paramType(std::size_t j) const { return record.at(5 + j); }
  uint16_t titleId(std::size_t j) const { return record.at(5 + paramCount() + j); }
  // Whether parameter j is a text (type 45 or 3); else it is a number.
  bool ParamIsText(std::size_t j) const;
};

// Everything the module tells the host about itself.
struct ModuleDescription {
  std::string name;  // GetObjInfos buffers 1 to 5
  std::string author;
  std::string copyright;
  std::string comment;
  std::string web;
  RunObjectInfoRecord runInfo{};
  uint16_t runDataSize = 0;
  std::vector<OperationInfo> conditions;
  std::vector<OperationInfo> actions;
  std::vector<OperationInfo> expressions;
  MenuEntry conditionMenu;
  MenuEntry actionMenu;
  MenuEntry expressionMenu;

  const std::vector<OperationInfo>& operations(OperationKind kind) const;
  const MenuEntry& menu(OperationKind kind) const;
};

// One instance of the module's object, created by the host.
class SimulatedObject {
 public:
  ~SimulatedObject();
  SimulatedObject(const SimulatedObject&) = delete;
  SimulatedObject& operator=(const SimulatedObject&) = delete;

  int id() const { return id_; }
  const std::string& name() const { return name_; }

  // Calls the operation `code` through its routine table with these
  // arguments, one per declared parameter.
  bool Condition(int code, const std::vector<Arg>& args = {});
  void Action(int code, const std::vector<Arg>& args = {});
  HostResult Expression(int code, const std::vector<Arg>& args = {});
  // The same, by the operation's name.
  bool Condition(ConditionCode code, const std::vector<Arg>& args = {}) {
    return Condition(CodeOf(code), args);
  }
  void Action(ActionCode code, const std::vector<Arg>& args = {}) { Action(CodeOf(code), args); }
  HostResult Expression(ExpressionCode code, const std::vector<Arg>& args = {}) {
    return Expression(CodeOf(code), args);
  }

  // The instance's run-time data (object header first).
  HostObjectHeader* header() { return reinterpret_cast<HostObjectHeader*>(runData_.get()); }

 private:
  friend class SimulatedHost;
  friend struct HostServiceEntries;

  struct CallFrame;

  SimulatedObject(SimulatedHost& host, int id, std::string name);
  CallFrame& BeginCall(OperationKind kind, int code, const std::vector<Arg>& args);
  void EndCall();
  // A parameter's value as handed to the routine: a deferred one worked out
  // now; nullopt when it could not be (the host keeps what it threw).
  std::optional<Arg> ResolveArg(const Arg& arg);
  void Violation(const std::string& what);
  bool EvaluateRaised(uint32_t code);

  // The host's services, for the calling routine of this object.
  HostWord EventParameter(HostWord kind);
  HostWord ExpressionParameter(bool first, HostWord kind, HostWord handle);
  HostWord StringSpace(HostWord size);
  void Raise(HostWord code);
  std::string ResultText(HostWord address, const std::string& label);

  SimulatedHost& host_;
  int id_;
  std::string name_;
  std::unique_ptr<unsigned char[]> runData_;
  std::unique_ptr<unsigned char[]> editData_;
  std::vector<std::unique_ptr<CallFrame>> frames_;  // the calls under way, innermost last
  struct Space {
    std::unique_ptr<char[]> bytes;
    std::size_t size;
  };
  std::vector<Space> stringSpaces_;  // given since the host's last top-level call
  uint32_t callCount_ = 0;
  bool created_ = false;
};

class SimulatedHost {
 public:
  // Loads the module file and reads its run-time information record; throws
  // std::runtime_error when the file does not load or an export is missing.
  explicit SimulatedHost(const std::string& modulePath, HostOptions options = {});
  // The same for a module whose code is linked into this program
  // (simhost/LinkedModule.h), so that a test can look inside it.
  explicit SimulatedHost(const ModuleExports& linked, HostOptions options = {});
  ~SimulatedHost();
  SimulatedHost(const SimulatedHost&) = delete;
  SimulatedHost& operator=(const SimulatedHost&) = delete;

  // --- The module.
  const ModuleExports& exports() const { return library_->exports(); }
  const RunObjectInfoRecord& runInfo() const { return runInfo_; }
  uint16_t runDataSize() const { return runDataSize_; }
  int OperationCount(OperationKind kind) const;
  // The routine tables handed over by GetRunObjectInfos (count + 1 entries).
  const ConditionRoutine* conditionTable() const;
  const ActionRoutine* actionTable() const;
  const ExpressionRoutine* expressionTable() const;

  // --- Instances. An object's name appears in the host's object list with
  // the module's identifier; the default is "Tallyra <id>".
  SimulatedObject& CreateObject(const std::string& name = "");
  void DestroyObject(SimulatedObject& object);
  const std::vector<std::unique_ptr<SimulatedObject>>& objects() const { return objects_; }

  // --- The host's object list. Names are 8-bit texts in the host's code page;
  // a host that keeps names wide offers them converted to UTF-16. List objects
  // carry the List identifier and a list box (CreateWindowExA "LISTBOX").
  void AddListObject(const std::string& name, const std::vector<std::string>& items = {});
  // A List object whose name a host that keeps names wide holds as wideName,
  // any 16-bit text, whether or not the host's code page can write it; label
  // is its name for the host's own calls here (ListObjectItems, say) and what
  // a host that keeps 8-bit names holds.
  void AddWideNamedListObject(const std::u16string& wideName, const std::string& label,
                              const std::vector<std::string>& items = {});
  void AddObject(const std::string& name, uint32_t identifier);  // any other object
  void AddFreeSlot();
  // Frees the slot of the first live object of that name; false if none.
  bool RemoveObject(const std::string& name);
  // The items of the first List object of that name, in list-box order;
  // throws std::invalid_argument when there is none.
  std::vector<std::string> ListObjectItems(const std::string& name) const;
  void AddListObjectItems(const std::string& name, const std::vector<std::string>& items);
  const HostOptions& options() const { return options_; }
  void SetNamesWide(bool wide);
  void SetCodePage(uint32_t codePage);

  // --- What happened.
  const std::vector<std::string>& violations() const { return violations_; }
  const std::vector<MessageBoxRecord>& messageBoxes() const { return messageBoxes_; }
  const std::vector<RaisedEvent>& raisedEvents() const { return raisedEvents_; }
  const std::vector<HostFunctionCall>& hostFunctionCalls() const { return hostFunctionCalls_; }
  void ClearRecords();
  // Called inside every GenerateEvent (see EventHandler); null for none.
  void SetEventHandler(EventHandler handler);
  // Calls of routines under way now, every object's, outermost included.
  int callDepth() const { return callDepth_; }
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
  int CodeFromMenu(OperationKind kind, uint32_t menuId);
  // Editor texts, asked with this maximum length. nullopt when the module left
  // the buffer untouched. Writing past the maximum is a protocol violation.
  std::optional<std::string> DisplayString(OperationKind kind, int code, uint32_t maxLength = 256);
  // Parameter titles: GetConditionTitle / GetActionTitle; for expressions
  // GetExpressionTitle (which takes no parameter).
  std::optional<std::string> Title(OperationKind kind, int code, int param,
                                   uint32_t maxLength = 256);
  std::optional<std::string> ExpressionParam(int code, int param, uint32_t maxLength = 256);
  HostRect ObjectRect(HostRect rect);
  std::vector<uint16_t> DebugTree();
  HostWord Properties();

 private:
  friend class SimulatedObject;
  friend struct HostServiceEntries;

  struct HostEntry;
  class ModuleCall;

  SimulatedHost(std::unique_ptr<ModuleLibrary> library,
                HostOptions options);  // marks the host as the one whose services answer

  void Violation(const std::string& what) { violations_.push_back(what); }
  // Throws std::length_error when another call would nest too deep.
  void CheckDepth() const;
  // Keeps what a deferred parameter or the event handler threw, to throw it
  // again once the module returns; the first one only.
  void Keep(std::exception_ptr thrown);
  // Throws what was kept, if anything, and forgets it.
  void ThrowKept();
  void SyncObjectList();
  void EncodeName(HostEntry& entry) const;
  HostEntry* FindListObject(const std::string& name) const;
  void AddListObjectEntry(const std::string& name, const std::u16string* wideName,
                          const std::vector<std::string>& items);
  HostWord CallHostFunction(void* editData, HostWord function, HostWord a, HostWord b, HostWord c);
  void OnMessageBox(const std::string& caption, const std::string& text);
  const std::vector<uint16_t>& DeclaredTypes(OperationKind kind, int code) const;
  template <typename Write>
  std::optional<std::string> EditorText(const char* what, uint32_t maxLength, Write write);

  HostOptions options_;
  std::unique_ptr<ModuleLibrary> library_;
  RunObjectInfoRecord runInfo_{};
  uint16_t runDataSize_ = 0;
  std::vector<std::vector<uint16_t>> declaredTypes_[3];  // per kind and code

  HostEditor editor_{};
  HostRunFunctions functions_{};
  HostRunHeader runHeader_{};
  std::unique_ptr<unsigned char[]> editData_;  // the editor's edit data

  std::vector<std::unique_ptr<HostEntry>> slots_;  // null: a free slot
  std::unique_ptr<HostObjectSlot[]> slotArray_;    // what the run header shows

  std::vector<std::unique_ptr<SimulatedObject>> objects_;
  int nextObjectId_ = 1;

  std::vector<std::string> violations_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<RaisedEvent> raisedEvents_;
  std::vector<HostFunctionCall> hostFunctionCalls_;
  std::function<void(const MessageBoxRecord&)> boxCallback_;
  EventHandler eventHandler_;
  int callDepth_ = 0;
  std::exception_ptr kept_;
  std::unique_ptr<MessageBoxWatcher> watcher_;
};

#endif  // TALLYRA_SIMHOST_SIMULATEDHOST_H_

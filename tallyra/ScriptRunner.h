// ScriptRunner: runs statements against one object instance through a
// ScriptHost, writing one output line per print and per message box. It calls
// the object as the host does: the arguments of a call are worked out when
// the object fetches them, so the calls in them run nested inside it, and the
// on blocks that wait for an event that the object raises run when it raises
// it, inside the raising action (its GenerateEvent).
//
// It keeps what it learns of the sets from the actions that it runs
// (SetCatalog), warns where a statement reads a set that nothing has given a
// list, and reports each message box with the line that raised it. save and
// load move elements between files and sets (or List objects) through the
// object's own actions and expressions; eval tries a formula.
//
// Borrows the host, which must outlive it, and registers itself as the host's
// observer while it lives.
#ifndef TALLYRA_TALLYRA_SCRIPTRUNNER_H_
#define TALLYRA_TALLYRA_SCRIPTRUNNER_H_

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <set>
#include <utility>

#include "tallyra/ScriptHost.h"
#include "tallyra/ScriptSyntax.h"
#include "tallyra/SetCatalog.h"

namespace tallyra::script {

// Event blocks that raise events run inside each other at most this deep.
constexpr int kMaxEventDepth = 64;
// Calls into the object run inside each other at most this deep (through
// arguments and event blocks), so that the stack stays small.
constexpr int kMaxCallDepth = 320;
// save and load move at most this many elements, and read at most this many
// bytes of a file; save reads for at most kTransferSeconds.
constexpr int32_t kMaxTransferElements = 1048576;
constexpr size_t kMaxTransferBytes = 64u << 20;
constexpr int kTransferSeconds = 10;
// Warnings of set names that no list was given: at most this many are shown
// (all are counted), so that a loop over made-up names cannot flood the output.
constexpr int kMaxSetNameWarnings = 100;

class ScriptRunner : private HostObserver {
 public:
  using Output = std::function<void(const std::string& line)>;
  // Told of a warning, or of a message box ("[CAPTION] TEXT"), with the line
  // of the statement that gave it.
  using Report = std::function<void(int line, const std::string& message)>;

  // Without a warn, warnings are not reported (but counted); without a box,
  // boxes are written to the output only.
  ScriptRunner(ScriptHost& host, Output output, Report warn = nullptr, Report box = nullptr);
  ~ScriptRunner() override;

  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs one top-level statement. Throws ScriptError (with the statement's
  // line) when it cannot be run: a missing List object, events raised inside
  // their own blocks too deep.
  void Run(const ScriptStatement& statement);

  // How many message boxes the object has shown so far, and how many
  // warnings the runner gave.
  int boxes_shown() const { return boxes_shown_; }
  int warnings() const { return warnings_; }
  // The sets that the statements run so far have given lists.
  const SetCatalog& sets() const { return sets_; }
  // The width of the terminal that plot draws on, in columns; 0 for none.
  void SetPlotWidth(int columns) { plot_width_ = columns; }
  // A flag that, once set (by a signal handler), stops the statement running
  // at the next statement boundary: Run throws ScriptError. Null for none;
  // the caller clears it. Not owned.
  void StopWhenSet(const volatile std::sig_atomic_t* flag) { stop_ = flag; }

 private:
  void Execute(const ScriptStatement& statement);
  void ExecuteAll(const std::vector<ScriptStatement>& statements);
  ScriptValue Evaluate(const ScriptExpr& expr, int line);
  // The arguments of a call of the operation, each worked out when the
  // object fetches it; a set name that it reads is checked then. Each value
  // fetched is kept in *fetched when it is not null.
  std::vector<ScriptArg> ArgsOf(OperationKind kind, int code, const std::vector<ScriptExpr>& exprs,
                                int line, std::vector<ScriptValue>* fetched = nullptr);
  // Warns, once a line, of a set name read that no list has been given.
  void CheckSetName(const ScriptValue& name, int line);
  void Warn(int line, const std::string& message);
  // A call of one of the object's expressions on a set's name.
  ScriptValue CallOnSet(int code, const std::string& name, int line,
                        const ScriptValue* index = nullptr);
  void ListSets(int line);
  void Save(const ScriptStatement& statement);
  void Load(const ScriptStatement& statement);
  // Makes one call into the object for the statement on line, one level
  // deeper than the calls under way; ScriptError when that is too deep.
  template <typename Call>
  auto CallObject(int line, Call call);
  bool TestCondition(int code, const std::vector<ScriptExpr>& args, int line);
  void RunEventBlocks(int code);
  void Plot(const ScriptStatement& statement);
  void StopIfAsked(int line) const;

  void MessageBoxShown(const std::string& caption, const std::string& text) override;
  void EventRaised(int condition_code) override;

  ScriptHost& host_;
  Output output_;
  Report warn_;
  Report box_;
  SetCatalog sets_;
  std::set<std::pair<int, std::string>> warned_;  // (line, set name) warned of
  // The sets that the actions under way are giving a list: an argument may
  // read the set that its action appends to ("Append element Length("a") to
  // set "a"").
  std::vector<std::string> being_given_;
  int warnings_ = 0;
  int set_name_warnings_ = 0;
  int plot_width_ = 0;
  // The on blocks met so far, in order; shared so that a block stays whole
  // while it runs, whatever is added meanwhile.
  std::vector<std::shared_ptr<const ScriptStatement>> event_blocks_;
  int event_depth_ = 0;  // event blocks running inside each other
  int call_depth_ = 0;   // calls into the object under way
  int call_line_ = 0;    // the line of the innermost call under way
  int boxes_shown_ = 0;
  const volatile std::sig_atomic_t* stop_ = nullptr;
};

// A message box as one output line: "[CAPTION] TEXT", each line feed in the
// text written as \n.
std::string FormatMessageBox(const std::string& caption, const std::string& text);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTRUNNER_H_

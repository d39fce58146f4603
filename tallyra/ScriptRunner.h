// ScriptRunner: runs statements against one object instance through a
// ScriptHost, writing one output line per print and per message box. It calls
// the object as the host does: the arguments of a call are worked out when
// the object fetches them, so the calls in them run nested inside it, and the
// on blocks that wait for an event that the object raises run when it raises
// it, inside the raising action (its GenerateEvent).
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

#include "tallyra/ScriptHost.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

// Event blocks that raise events run inside each other at most this deep.
constexpr int kMaxEventDepth = 64;
// Calls into the object run inside each other at most this deep (through
// arguments and event blocks), so that the stack stays small.
constexpr int kMaxCallDepth = 320;

class ScriptRunner : private HostObserver {
 public:
  using Output = std::function<void(const std::string& line)>;

  ScriptRunner(ScriptHost& host, Output output);
  ~ScriptRunner() override;

  ScriptRunner(const ScriptRunner&) = delete;
  ScriptRunner& operator=(const ScriptRunner&) = delete;

  // Runs one top-level statement. Throws ScriptError (with the statement's
  // line) when it cannot be run: a missing List object, events raised inside
  // their own blocks too deep.
  void Run(const ScriptStatement& statement);

  // How many message boxes the object has shown so far.
  int boxesShown() const { return boxes_shown_; }
  // A flag that, once set (by a signal handler), stops the statement running
  // at the next statement boundary: Run throws ScriptError. Null for none;
  // the caller clears it. Not owned.
  void StopWhenSet(const volatile std::sig_atomic_t* flag) { stop_ = flag; }

 private:
  void Execute(const ScriptStatement& statement);
  void ExecuteAll(const std::vector<ScriptStatement>& statements);
  ScriptValue Evaluate(const ScriptExpr& expr, int line);
  // The arguments of a call, each worked out when the object fetches it.
  std::vector<ScriptArg> ArgsOf(const std::vector<ScriptExpr>& exprs, int line);
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

// The statements of a script, as ScriptReader builds them and ScriptRunner
// runs them. Plain data: every node owns its children by value.
#ifndef TALLYRA_TALLYRA_SCRIPTSYNTAX_H_
#define TALLYRA_TALLYRA_SCRIPTSYNTAX_H_

#include <string>
#include <vector>

#include "tallyra/ScriptValue.h"

namespace tallyra::script {

// An expression: a literal, a call of one of the object's expressions, or
// arithmetic on numbers. A chain of "+" and "-", or of "*", is one node with
// all its operands, worked out from the left, so that a long chain costs no
// depth.
struct ScriptExpr {
  enum class Kind { kLiteral, kCall, kNegate, kSum, kProduct };

  Kind kind = Kind::kLiteral;
  ScriptValue literal;  // kLiteral
  int code = 0;         // kCall: the expression's code
  std::vector<ScriptExpr>
      operands;       // kCall: its arguments; kNegate: one; kSum, kProduct: two or more
  std::string signs;  // kSum: '+' or '-' before each operand after the first

  // Whether the expression gives a text: a text literal or a call of an
  // expression whose flags say so. Everything else gives a number.
  bool text = false;
};

// What one line of a script is.
enum class ScriptLineKind {
  kNothing,     // a blank line or a comment
  kStatement,   // a complete statement
  kBlockStart,  // repeat or on: the statement's body follows, up to its end
  kBlockEnd,    // end
};

struct ScriptStatement {
  enum class Kind {
    kAction,           // code, args: run an action
    kPrintExpression,  // expr
    kPrintCondition,   // code, args: print true or false
    kPrintListObject,  // name
    kSetListObject,    // name, args: the items
    kRepeat,           // expr: the count; body
    kIf,               // code, args: run body when the condition holds, where it stands
    kOnEvent,          // code, args: run body whenever the object raises the condition
    kTime,             // body: the one statement to run; print how long it took
    kPlot,             // name; args: the list's length (a call), the count; code: the
                       // expression that reads an element as a text
    kQuit,             // end the script (or the session) here
    kSets,             // list the sets that the run has given lists
    kEval,             // expr: the formula; words: variable names; args: their values
                       // (a number written with a point as its text, read as a double)
    kSave,             // name: the set or List object; expr: the file ("-": the output)
    kLoad,             // expr: the file; name: the set or List object to append to
  };

  Kind kind = Kind::kAction;
  int line = 0;  // line number in its file, from 1
  int code = 0;
  std::vector<ScriptExpr> args;
  ScriptExpr expr;
  ScriptExpr name;
  std::vector<std::string> words;  // kEval: the variables named
  bool list_object = false;        // kSave, kLoad: name is a host List object
  std::vector<ScriptStatement> body;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTSYNTAX_H_

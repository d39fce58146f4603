// ScriptGrammar: the object's display strings read as the grammar of script
// lines. Each condition's and action's display string is cut into a template
// of words, marks and placeholders; each operation has a form, its display
// string with each placeholder shown as <title>. Both the line parser and the
// script language read lines and write help with it.
//
// Keeps its own copy of the description; immutable once built.
#ifndef TALLYRA_TALLYRA_SCRIPTGRAMMAR_H_
#define TALLYRA_TALLYRA_SCRIPTGRAMMAR_H_

#include <string>
#include <vector>

#include "abi/ObjectDescription.h"

namespace tallyra::script {

class ScriptGrammar {
 public:
  explicit ScriptGrammar(ObjectDescription description);

  struct Segment {
    bool param = false;
    int index = 0;                    // param: the parameter's number
    std::vector<std::string> tokens;  // literal: its words and marks, blanks dropped
  };
  struct Template {
    OperationKind kind = OperationKind::kAction;
    int code = 0;
    std::vector<Segment> segments;
    bool usable = false;  // every parameter appears exactly once
  };

  const ObjectDescription& description() const { return description_; }

  // The operation of that kind and code; the code must be registered.
  const OperationDescription& Info(OperationKind kind, int code) const;

  // An operation's display string with each placeholder shown as <title>,
  // the object placeholder of a condition dropped.
  std::string FormOf(OperationKind kind, int code) const;

  // Whether a condition is one that the object raises itself (its flags are
  // 0, like "On trigger"): an `on` block on it waits for the object to raise
  // it, where a block on any other condition is tested where it stands.
  bool IsRaisedCondition(int code) const;

  // The display strings of the conditions and actions, cut up, by code.
  const std::vector<Template>& condition_templates() const { return conditions_; }
  const std::vector<Template>& action_templates() const { return actions_; }

 private:
  ObjectDescription description_;
  std::vector<Template> conditions_;
  std::vector<Template> actions_;
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTGRAMMAR_H_

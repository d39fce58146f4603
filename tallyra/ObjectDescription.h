// ObjectDescription: what the host's editor sees of the object, read once
// through the module's editor exports: its conditions, actions and
// expressions with their codes, display strings, flags and parameters, and
// its three menus. The script language is built from it, so the language
// follows the module's catalogue. Plain data.
#ifndef TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_
#define TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_

#include <cstdint>
#include <string>
#include <vector>

#include "abi/Operations.h"

namespace tallyra::script {

// The kinds of operation, as the script language names them.
using ScriptOpKind = OperationKind;

struct ScriptParam {
  uint16_t type = 0;
  std::string title;
};

struct ScriptOpInfo {
  int code = 0;
  std::string display;  // the display string, placeholders and all
  uint16_t flags = 0;
  uint16_t menuId = 0;
  std::vector<ScriptParam> params;
};

// One entry of a menu: an item with its command id, a separator, or a submenu.
struct ScriptMenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenu };
  Kind kind = Kind::kItem;
  std::string text;
  uint32_t id = 0;
  int code = -1;                          // the code that the module maps the item's id to, or -1
  std::vector<ScriptMenuEntry> children;  // a submenu's entries
};

struct ObjectDescription {
  std::vector<ScriptOpInfo> conditions;
  std::vector<ScriptOpInfo> actions;
  std::vector<ScriptOpInfo> expressions;
  std::vector<ScriptMenuEntry> conditionMenu;
  std::vector<ScriptMenuEntry> actionMenu;
  std::vector<ScriptMenuEntry> expressionMenu;
};

// Whether a parameter of an operation of this kind takes a text.
inline bool ParameterTakesText(ScriptOpKind kind, uint16_t type) {
  return kind == ScriptOpKind::kExpression ? type == kTypeExpressionText : type == kTypeText;
}

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_

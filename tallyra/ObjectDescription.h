// ObjectDescription: what the host's editor sees of the object, read once
// through the module's editor exports: its conditions, actions and
// expressions with their codes, display strings, flags and parameters, and
// its three menus. The script language is built from it, so the language
// follows the module's registry. Plain data.
#ifndef TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_
#define TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_

#include <cstdint>
#include <string>
#include <vector>

// Parameter type codes as the module declares them.
constexpr uint16_t kParamNumber = 22;      // condition or action: a number
constexpr uint16_t kParamText = 45;        // condition or action: a text
constexpr uint16_t kExprParamInteger = 1;  // expression: an integer
constexpr uint16_t kExprParamNumber = 2;   // expression: a number read as an integer
constexpr uint16_t kExprParamText = 3;     // expression: a text
// Expression flags: the kind of result.
constexpr uint16_t kExprResultText = 1;

enum class OperationKind { kCondition, kAction, kExpression };

struct ParameterInfo {
  uint16_t type = 0;
  std::string title;
};

struct OperationInfo {
  int code = 0;
  std::string display;  // the display string, placeholders and all
  uint16_t flags = 0;
  uint16_t menuId = 0;
  std::vector<ParameterInfo> params;
};

// One entry of a menu: an item with its command id, a separator, or a submenu.
struct MenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenu };
  Kind kind = Kind::kItem;
  std::string text;
  uint32_t id = 0;
  int code = -1;                    // the code that the module maps the item's id to, or -1
  std::vector<MenuEntry> children;  // a submenu's entries
};

struct ObjectDescription {
  std::vector<OperationInfo> conditions;
  std::vector<OperationInfo> actions;
  std::vector<OperationInfo> expressions;
  std::vector<MenuEntry> conditionMenu;
  std::vector<MenuEntry> actionMenu;
  std::vector<MenuEntry> expressionMenu;
};

// Whether a parameter of an operation of this kind takes a text.
inline bool ParameterTakesText(OperationKind kind, uint16_t type) {
  return kind == OperationKind::kExpression ? type == kExprParamText : type == kParamText;
}

#endif  // TALLYRA_TALLYRA_OBJECTDESCRIPTION_H_

// ObjectDescription: what the host's editor learns of the object through the
// module's editor exports: each operation with its code, information record,
// display string and parameters, and the three menus read back into trees.
// The simulated host fills it from the exports (simhost/EditorReader.h);
// tallyra builds its script language and `describe` from it. Plain data, owned
// by whoever holds it.
#ifndef TALLYRA_ABI_OBJECTDESCRIPTION_H_
#define TALLYRA_ABI_OBJECTDESCRIPTION_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "abi/KindArray.h"
#include "abi/Operations.h"

namespace tallyra {

struct ParamDescription {
  uint16_t type = 0;
  std::string title;  // the title that the editor is given
};

struct OperationDescription {
  OperationKind kind = OperationKind::kAction;
  int code = 0;
  std::vector<uint16_t> record;  // the whole information record, menu id first
  std::string display;           // the display string, placeholders and all
  uint16_t flags = 0;
  uint16_t menu_id = 0;
  std::vector<ParamDescription> params;
};

// One entry of a menu: an item with its command id, a separator, or a submenu
// with its entries.
struct MenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenu };
  Kind kind = Kind::kItem;
  uint32_t id = 0;                 // kItem
  std::string text;                // kItem and kSubmenu
  uint32_t state = 0;              // kItem: its state as the menu reports it
  int code = -1;                   // kItem: the code that the module maps its id to, or -1
  std::vector<MenuEntry> entries;  // kSubmenu
};

struct ObjectDescription {
  KindArray<std::vector<OperationDescription>> operations;  // by code
  KindArray<MenuEntry> menus;                               // each a root: a submenu without text
};

// Whether a parameter of an operation of this kind takes a text (else it takes
// a number).
inline bool ParameterTakesText(OperationKind kind, uint16_t type) {
  return kind == OperationKind::kExpression ? type == kTypeExpressionText : type == kTypeText;
}

}  // namespace tallyra

#endif  // TALLYRA_ABI_OBJECTDESCRIPTION_H_

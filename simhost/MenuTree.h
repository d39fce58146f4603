// MenuEntry: a menu read back from its handle into a tree, as the host's
// editor sees it: each entry is an item (command id and text), a separator, or
// a submenu (text and entries).
#ifndef TALLYRA_SIMHOST_MENUTREE_H_
#define TALLYRA_SIMHOST_MENUTREE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32.h"

namespace tallyra::simhost {

struct MenuEntry {
  enum class Kind { kItem, kSeparator, kSubmenu };
  Kind kind = Kind::kItem;
  uint32_t id = 0;                 // kItem
  std::string text;                // kItem and kSubmenu
  uint32_t state = 0;              // kItem: GetMenuState by position
  std::vector<MenuEntry> entries;  // kSubmenu

  // Writes the tree one entry a line, submenus indented.
  std::string ToString(int indent = 0) const;
};

// Reads `menu` into a root entry (kind kSubmenu, empty text) with
// GetMenuItemCount, GetMenuItemID, GetMenuStringA, GetMenuState and
// GetSubMenu. The menu is not destroyed.
MenuEntry ReadMenu(HMENU menu);

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_MENUTREE_H_

// ReadMenu: a menu read back from its handle into a tree (abi/ObjectDescription.h),
// as the host's editor sees it: each entry is an item (command id, text and
// state), a separator, or a submenu (text and entries).
#ifndef TALLYRA_SIMHOST_MENUTREE_H_
#define TALLYRA_SIMHOST_MENUTREE_H_

#include "abi/ObjectDescription.h"
#include "platform/Win32.h"

namespace tallyra::simhost {

// Reads `menu` into a root entry (kind kSubmenu, empty text) with
// GetMenuItemCount, GetMenuItemID, GetMenuStringA, GetMenuState and
// GetSubMenu. Item codes are left at -1. The menu is not destroyed.
MenuEntry ReadMenu(HMENU menu);

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_MENUTREE_H_

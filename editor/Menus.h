// The editor's three menus, built in code (the module has no menu resources).
// The command id of each item is the menu id of its operation's information
// record. The condition menu is empty: neither condition is picked from it.
#ifndef TALLYRA_EDITOR_MENUS_H_
#define TALLYRA_EDITOR_MENUS_H_

#include "abi/Operations.h"
#include "platform/Win32.h"

namespace tallyra {

// Builds the kind's menu; the caller owns it.
HMENU BuildMenu(OperationKind kind);

// The menu handed to the host: a new popup holding a copy of the kind's menu.
// The built menu is released after copying; the host owns the popup.
HMENU MenuForHost(OperationKind kind);

}  // namespace tallyra

#endif  // TALLYRA_EDITOR_MENUS_H_

// CopyMenu: appends a copy of every entry of one menu to another, submenus
// copied recursively into new popups, items with their command ids, texts and
// states. The destination and the popups made for it belong to the caller.
#ifndef TALLYRA_EDITOR_COPYMENU_H_
#define TALLYRA_EDITOR_COPYMENU_H_

#include "platform/Win32.h"

namespace tallyra {

void CopyMenu(HMENU destination, HMENU source);

}  // namespace tallyra

#endif  // TALLYRA_EDITOR_COPYMENU_H_

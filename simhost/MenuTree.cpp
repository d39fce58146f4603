#include "simhost/MenuTree.h"

#include <utility>

namespace tallyra::simhost {

namespace {

constexpr UINT kByPosition = 0x400;
constexpr UINT kSubmenuId = 0xFFFFFFFFu;
constexpr int kMaxDepth = 16;  // guards against a menu that holds itself

void ReadInto(HMENU menu, MenuEntry& into, int depth) {
  const int count = GetMenuItemCount(menu);
  for (int position = 0; position < count; ++position) {
    MenuEntry entry;
    const UINT id = GetMenuItemID(menu, position);
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, kByPosition);
    text[sizeof text - 1] = '\0';  // a long text may fill the buffer unterminated
    if (id == 0) {
      entry.kind = MenuEntry::Kind::kSeparator;
    } else if (id == kSubmenuId) {
      entry.kind = MenuEntry::Kind::kSubmenu;
      entry.text = text;
      HMENU submenu = GetSubMenu(menu, position);
      if (submenu != nullptr && depth < kMaxDepth) ReadInto(submenu, entry, depth + 1);
    } else {
      entry.kind = MenuEntry::Kind::kItem;
      entry.id = id;
      entry.text = text;
      entry.state = GetMenuState(menu, static_cast<UINT>(position), kByPosition);
    }
    into.entries.push_back(std::move(entry));
  }
}

}  // namespace

MenuEntry ReadMenu(HMENU menu) {
  MenuEntry root;
  root.kind = MenuEntry::Kind::kSubmenu;
  if (menu != nullptr) ReadInto(menu, root, 0);
  return root;
}

}  // namespace tallyra::simhost

#include "editor/Menus.h"

#include <algorithm>
#include <cstring>

#include "editor/CopyMenu.h"
#include "editor/MenuBuilder.h"

namespace tallyra {

namespace {

// The number of submenus that `place` lies within.
std::size_t DepthOf(const MenuPlace& place) {
  std::size_t depth = 0;
  while (depth < kMaxMenuDepth && place.submenus[depth] != nullptr) ++depth;
  return depth;
}

bool SameTitle(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

}  // namespace

HMENU BuildMenu(std::vector<MenuItem> items) {
  std::stable_sort(items.begin(), items.end(), [](const MenuItem& a, const MenuItem& b) {
    return a.place.rank < b.place.rank;
  });
  MenuBuilder menu;
  const char* open[kMaxMenuDepth] = {};
  std::size_t open_depth = 0;
  for (const MenuItem& item : items) {
    const MenuPlace& place = item.place;
    if (place.text == nullptr) continue;
    const std::size_t depth = DepthOf(place);
    std::size_t shared = 0;
    while (shared < open_depth && shared < depth &&
           SameTitle(open[shared], place.submenus[shared])) {
      ++shared;
    }
    for (; open_depth > shared; --open_depth) menu.CloseSubmenu();
    for (; open_depth < depth; ++open_depth) {
      open[open_depth] = place.submenus[open_depth];
      menu.OpenSubmenu(open[open_depth]);
    }
    if (place.separated) menu.AddSeparator();
    menu.AddItem(place.text, item.command_id);
  }
  return menu.Finish();
}

HMENU MenuForHost(const std::vector<MenuItem>& items) {
  HMENU popup = CreatePopupMenu();
  HMENU built = BuildMenu(items);
  if (popup != nullptr && built != nullptr) CopyMenu(popup, built);
  if (built != nullptr) DestroyMenu(built);
  return popup;
}

}  // namespace tallyra

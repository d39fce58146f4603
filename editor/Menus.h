// The editor's menus, built in code (the module has no menu resources). Each
// operation says where its item goes (MenuPlace, part of its catalogue row);
// the menu of a kind is made from those places alone. The command id of each
// item is the menu id of its operation's information record.
#ifndef TALLYRA_EDITOR_MENUS_H_
#define TALLYRA_EDITOR_MENUS_H_

#include <cstddef>
#include <vector>

#include "platform/Win32.h"

namespace tallyra {

// The most submenus that an item lies within.
constexpr std::size_t kMaxMenuDepth = 2;

// Where an operation's item goes: the titles of the submenus that hold it,
// outermost first (null past the last), its text, whether a separator comes
// before it, and its rank among the items of its kind's menu (the menu shows
// items by rank). An operation without text has no item. Constant texts only.
struct MenuPlace {
  const char* submenus[kMaxMenuDepth] = {};
  const char* text = nullptr;
  bool separated = false;
  int rank = 0;

  constexpr MenuPlace AfterSeparator() const {
    MenuPlace place = *this;
    place.separated = true;
    return place;
  }
};

struct MenuItem {
  MenuPlace place;
  UINT command_id = 0;
};

// Builds the menu that holds `items` (those with a text) by rank, opening and
// closing submenus as the items' places ask; the caller owns it.
HMENU BuildMenu(std::vector<MenuItem> items);

// The menu handed to the host: a new popup holding a copy of the built menu.
// The built menu is released after copying; the host owns the popup.
HMENU MenuForHost(const std::vector<MenuItem>& items);

}  // namespace tallyra

#endif  // TALLYRA_EDITOR_MENUS_H_

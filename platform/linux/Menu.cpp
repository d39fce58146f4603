// Menus: the USER32 menu functions, on menus kept in memory.
//
// A menu is a list of items: text items with a command id, separators, and
// submenu items that name another menu by its handle. Items keep the state
// flags they were appended with (grayed, checked, ...). Lookups by command
// search submenus depth first, as Win32 does. A menu may not become its own
// submenu, directly or through others, so every walk over submenus ends.
// All menus live in one table under one lock.
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/Win32.h"
#include "platform/linux/HandleTable.h"

namespace tly_platform {
namespace {

// Flags that give an item's type rather than its state.
constexpr UINT kTypeFlags = MF_POPUP | MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW;

struct MenuItem {
  UINT type = MF_STRING;  // MF_STRING, MF_SEPARATOR or MF_POPUP
  UINT state = 0;         // the state flags of AppendMenuA (MF_GRAYED, MF_CHECKED, ...)
  UINT id = 0;            // command id; 0 for separators and submenu items
  uintptr_t submenu = 0;  // handle of the submenu of an MF_POPUP item
  std::string text;       // empty for separators
};

struct Menu {
  std::vector<MenuItem> items;
};

struct Menus {
  std::mutex mutex;
  HandleTable<Menu> table{0x10000000};
};

Menus& TheMenus() {
  static Menus* menus = new Menus;  // never destroyed: usable until the process ends
  return *menus;
}

// Whether `target` is `from` or one of the menus below it.
bool Reaches(const HandleTable<Menu>& table, uintptr_t from, uintptr_t target) {
  std::vector<uintptr_t> pending{from};
  std::unordered_set<uintptr_t> seen;
  while (!pending.empty()) {
    uintptr_t handle = pending.back();
    pending.pop_back();
    if (handle == target) return true;
    if (!seen.insert(handle).second) continue;
    if (const Menu* menu = table.Find(handle)) {
      for (const MenuItem& item : menu->items) {
        if (item.type == MF_POPUP) pending.push_back(item.submenu);
      }
    }
  }
  return false;
}

// The item that (item, flags) names in `menu`: by position when flags hold
// MF_BYPOSITION, else the first item with that command id in a depth-first
// walk through the submenus. Null when there is none.
const MenuItem* FindItem(const HandleTable<Menu>& table, HMENU menu, UINT item, UINT flags) {
  const Menu* root = table.Find(HandleValue(menu));
  if (root == nullptr) return nullptr;
  if (flags & MF_BYPOSITION) return item < root->items.size() ? &root->items[item] : nullptr;
  std::vector<std::pair<const Menu*, size_t>> stack{{root, 0}};
  while (!stack.empty()) {
    const Menu* current = stack.back().first;
    size_t position = stack.back().second++;
    if (position == current->items.size()) {
      stack.pop_back();
      continue;
    }
    const MenuItem& candidate = current->items[position];
    if (candidate.type == MF_POPUP) {
      if (const Menu* submenu = table.Find(candidate.submenu)) stack.emplace_back(submenu, 0);
    } else if (candidate.id == item) {
      return &candidate;
    }
  }
  return nullptr;
}

HMENU NewMenu() {
  try {
    Menus& menus = TheMenus();
    std::lock_guard<std::mutex> lock(menus.mutex);
    return ToHandle<HMENU>(menus.table.Add(std::make_unique<Menu>()));
  } catch (...) {
    return nullptr;
  }
}

}  // namespace
}  // namespace tly_platform

using tly_platform::FindItem;
using tly_platform::HandleValue;
using tly_platform::Menu;
using tly_platform::MenuItem;
using tly_platform::Menus;
using tly_platform::TheMenus;

extern "C" {

HMENU WINAPI CreateMenu() { return tly_platform::NewMenu(); }

HMENU WINAPI CreatePopupMenu() { return tly_platform::NewMenu(); }

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrSubmenu, LPCSTR text) {
  try {
    Menus& menus = TheMenus();
    std::lock_guard<std::mutex> lock(menus.mutex);
    Menu* target = menus.table.Find(HandleValue(menu));
    if (target == nullptr) return FALSE;
    UINT type = flags & tly_platform::kTypeFlags;
    MenuItem item;
    item.state = flags & ~(tly_platform::kTypeFlags | MF_BYPOSITION);
    if (type == MF_SEPARATOR || (type == MF_STRING && text == nullptr)) {
      // A text item without a text is a separator, as it has always been in Win32.
      item.type = MF_SEPARATOR;
    } else if (type == MF_POPUP) {
      if (menus.table.Find(idOrSubmenu) == nullptr) return FALSE;
      if (tly_platform::Reaches(menus.table, idOrSubmenu, HandleValue(menu))) return FALSE;
      item.type = MF_POPUP;
      item.submenu = idOrSubmenu;
      if (text != nullptr) item.text = text;
    } else if (type == MF_STRING) {
      item.id = static_cast<UINT>(idOrSubmenu);
      item.text = text;
    } else {
      return FALSE;  // bitmaps and owner-drawn items are not kept
    }
    target->items.push_back(std::move(item));
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

int WINAPI GetMenuItemCount(HMENU menu) {
  Menus& menus = TheMenus();
  std::lock_guard<std::mutex> lock(menus.mutex);
  const Menu* found = menus.table.Find(HandleValue(menu));
  return found == nullptr ? -1 : static_cast<int>(found->items.size());
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) try {
  Menus& menus = TheMenus();
  std::lock_guard<std::mutex> lock(menus.mutex);
  if (position < 0) return 0xFFFFFFFFu;
  const MenuItem* item = FindItem(menus.table, menu, static_cast<UINT>(position), MF_BYPOSITION);
  if (item == nullptr || item->type == MF_POPUP) return 0xFFFFFFFFu;
  return item->id;
} catch (...) {
  return 0xFFFFFFFFu;
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int maxCount, UINT flags) try {
  Menus& menus = TheMenus();
  std::lock_guard<std::mutex> lock(menus.mutex);
  bool toBuffer = buffer != nullptr && maxCount != 0;
  if (toBuffer && maxCount < 0) return 0;
  const MenuItem* found = FindItem(menus.table, menu, item, flags);
  if (found == nullptr) return 0;  // the buffer is left as it was
  if (toBuffer) buffer[0] = '\0';
  if (found->type == MF_SEPARATOR) return 0;
  size_t length = found->text.size();
  if (!toBuffer) return static_cast<int>(length);
  size_t copied = length < static_cast<size_t>(maxCount - 1) ? length : maxCount - 1;
  std::memcpy(buffer, found->text.data(), copied);
  buffer[copied] = '\0';
  return static_cast<int>(copied);
} catch (...) {
  return 0;
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) try {
  Menus& menus = TheMenus();
  std::lock_guard<std::mutex> lock(menus.mutex);
  const MenuItem* found = FindItem(menus.table, menu, item, flags);
  if (found == nullptr) return 0xFFFFFFFFu;
  if (found->type != MF_POPUP) return found->type | found->state;
  const Menu* submenu = menus.table.Find(found->submenu);
  if (submenu == nullptr) return 0xFFFFFFFFu;
  return static_cast<UINT>(submenu->items.size() << 8) | ((MF_POPUP | found->state) & 0xFFu);
} catch (...) {
  return 0xFFFFFFFFu;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) try {
  Menus& menus = TheMenus();
  std::lock_guard<std::mutex> lock(menus.mutex);
  if (position < 0) return nullptr;
  const MenuItem* item = FindItem(menus.table, menu, static_cast<UINT>(position), MF_BYPOSITION);
  if (item == nullptr || item->type != MF_POPUP) return nullptr;
  if (menus.table.Find(item->submenu) == nullptr) return nullptr;
  return tly_platform::ToHandle<HMENU>(item->submenu);
} catch (...) {
  return nullptr;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
  try {
    Menus& menus = TheMenus();
    std::lock_guard<std::mutex> lock(menus.mutex);
    std::unique_ptr<Menu> first = menus.table.Remove(HandleValue(menu));
    if (first == nullptr) return FALSE;
    // The submenus attached to it go too, and theirs; one already gone is skipped.
    std::vector<std::unique_ptr<Menu>> pending;
    pending.push_back(std::move(first));
    while (!pending.empty()) {
      std::unique_ptr<Menu> current = std::move(pending.back());
      pending.pop_back();
      for (const MenuItem& item : current->items) {
        if (item.type != MF_POPUP) continue;
        if (std::unique_ptr<Menu> submenu = menus.table.Remove(item.submenu)) {
          pending.push_back(std::move(submenu));
        }
      }
    }
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // extern "C"

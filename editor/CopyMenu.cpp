#include "editor/CopyMenu.h"

namespace tallyra {

namespace {

constexpr int kTextBufferBytes = 80;  // an item's text, terminator included
constexpr UINT kByPosition = 0x400;
constexpr UINT kSeparatorFlags = 0x800;
constexpr UINT kSubmenuFlags = 0x10;
constexpr UINT kSubmenuId = 0xFFFFFFFFu;

}  // namespace

void CopyMenu(HMENU destination, HMENU source) {
  char* text = static_cast<char*>(LocalAlloc(LPTR, kTextBufferBytes));
  if (text == nullptr) return;
  const int count = GetMenuItemCount(source);
  for (int position = 0; position < count; ++position) {
    const UINT id = GetMenuItemID(source, position);
    if (id == 0) {
      AppendMenuA(destination, kSeparatorFlags, 0, nullptr);
      continue;
    }
    text[0] = '\0';
    GetMenuStringA(source, static_cast<UINT>(position), text, kTextBufferBytes, kByPosition);
    // Some implementations fill the whole buffer of a long text without a
    // terminator.
    text[kTextBufferBytes - 1] = '\0';
    if (id == kSubmenuId) {
      HMENU submenu = CreatePopupMenu();
      AppendMenuA(destination, kSubmenuFlags, reinterpret_cast<UINT_PTR>(submenu), text);
      CopyMenu(submenu, GetSubMenu(source, position));
    } else {
      const UINT state = GetMenuState(source, static_cast<UINT>(position), kByPosition);
      AppendMenuA(destination, state, id, text);
    }
  }
  LocalFree(text);
}

}  // namespace tallyra

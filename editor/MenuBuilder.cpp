#include "editor/MenuBuilder.h"

namespace tallyra {

MenuBuilder::MenuBuilder() { openMenus_.push_back(CreateMenu()); }

MenuBuilder::~MenuBuilder() {
  // Unattached submenus first, then the root with all that joined it.
  for (auto it = openMenus_.rbegin(); it != openMenus_.rend(); ++it) {
    if (*it != nullptr) DestroyMenu(*it);
  }
}

void MenuBuilder::AddItem(const char* text, UINT commandId) {
  if (openMenus_.empty()) return;
  AppendMenuA(openMenus_.back(), kItemFlags, commandId, text);
}

void MenuBuilder::AddSeparator() {
  if (openMenus_.empty()) return;
  AppendMenuA(openMenus_.back(), kSeparatorFlags, 0, nullptr);
}

void MenuBuilder::OpenSubmenu(const char* title) {
  if (openMenus_.empty()) return;
  openMenus_.push_back(CreatePopupMenu());
  titles_.push_back(title);
}

void MenuBuilder::CloseSubmenu() {
  if (openMenus_.size() < 2) return;
  HMENU submenu = openMenus_.back();
  HMENU parent = openMenus_[openMenus_.size() - 2];
  AppendMenuA(parent, kSubmenuFlags, reinterpret_cast<UINT_PTR>(submenu), titles_.back());
  openMenus_.pop_back();
  titles_.pop_back();
}

HMENU MenuBuilder::Finish() {
  while (openMenus_.size() > 1) CloseSubmenu();
  HMENU root = openMenus_.empty() ? nullptr : openMenus_.front();
  openMenus_.clear();
  titles_.clear();
  return root;
}

}  // namespace tallyra

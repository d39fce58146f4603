#include "editor/MenuBuilder.h"

namespace tallyra {

MenuBuilder::MenuBuilder() { open_menus_.push_back(CreateMenu()); }

MenuBuilder::~MenuBuilder() {
  // Unattached submenus first, then the root with all that joined it.
  for (auto it = open_menus_.rbegin(); it != open_menus_.rend(); ++it) {
    if (*it != nullptr) DestroyMenu(*it);
  }
}

void MenuBuilder::AddItem(const char* text, UINT command_id) {
  if (open_menus_.empty()) return;
  AppendMenuA(open_menus_.back(), kItemFlags, command_id, text);
}

void MenuBuilder::AddSeparator() {
  if (open_menus_.empty()) return;
  AppendMenuA(open_menus_.back(), kSeparatorFlags, 0, nullptr);
}

void MenuBuilder::OpenSubmenu(const char* title) {
  if (open_menus_.empty()) return;
  open_menus_.push_back(CreatePopupMenu());
  titles_.push_back(title);
}

void MenuBuilder::CloseSubmenu() {
  if (open_menus_.size() < 2) return;
  HMENU submenu = open_menus_.back();
  HMENU parent = open_menus_[open_menus_.size() - 2];
  AppendMenuA(parent, kSubmenuFlags, reinterpret_cast<UINT_PTR>(submenu), titles_.back());
  open_menus_.pop_back();
  titles_.pop_back();
}

HMENU MenuBuilder::Finish() {
  while (open_menus_.size() > 1) CloseSubmenu();
  HMENU root = open_menus_.empty() ? nullptr : open_menus_.front();
  open_menus_.clear();
  titles_.clear();
  return root;
}

}  // namespace tallyra

// MenuBuilder: builds one menu from a sequence of steps (items, separators,
// submenus opened and closed). A submenu is attached to its parent when it is
// closed, so it lands after every item that the parent received before.
//
// The builder owns the menus it makes until Finish hands the root over; a
// builder that is never finished destroys them. Item texts are constant texts
// that the platform copies into the menu; the builder keeps only pointers.
#ifndef TALLYRA_EDITOR_MENUBUILDER_H_
#define TALLYRA_EDITOR_MENUBUILDER_H_

#include <vector>

#include "platform/Win32.h"

namespace tallyra {

class MenuBuilder {
 public:
  // Append flags of the three kinds of entry.
  static constexpr UINT kItemFlags = 0x400;
  static constexpr UINT kSeparatorFlags = 0xC00;
  static constexpr UINT kSubmenuFlags = 0x410;

  MenuBuilder();  // creates the empty root (CreateMenu)
  ~MenuBuilder();
  MenuBuilder(const MenuBuilder&) = delete;
  MenuBuilder& operator=(const MenuBuilder&) = delete;

  // Each appends to the innermost open menu.
  void AddItem(const char* text, UINT command_id);
  void AddSeparator();

  // Opens a submenu; items go into it until it is closed. Closing attaches it,
  // under its title, to the menu that was open before; closing with no
  // submenu open does nothing.
  void OpenSubmenu(const char* title);
  void CloseSubmenu();

  // Closes any submenu left open and hands over the root; the builder is then
  // empty. The caller owns the result (DestroyMenu).
  HMENU Finish();

 private:
  std::vector<HMENU> open_menus_;    // bottom entry: the root
  std::vector<const char*> titles_;  // one per open submenu
};

}  // namespace tallyra

#endif  // TALLYRA_EDITOR_MENUBUILDER_H_

#include "editor/Menus.h"

#include "editor/CopyMenu.h"
#include "editor/MenuBuilder.h"

namespace {

void BuildActionMenu(MenuBuilder& menu) {
  menu.AddItem("Append string to set", 25020);
  menu.AddItem("Append value to set", 25030);
  menu.OpenSubmenu("'Virtual' Lists");
  menu.OpenSubmenu("K-Sublist");
  menu.AddItem("Create", 25040);
  menu.AddItem("Get next k-sublist", 25050);
  menu.CloseSubmenu();
  menu.AddSeparator();
  menu.AddItem("Define list by equation", 25060);
  menu.AddItem("Define mapping on list", 25070);
  menu.AddItem("Define mapping on a pair of list", 25090);
  menu.AddItem("Define sub-sequence list", 25080);
  menu.AddItem("Define filtered list", 25100);
  menu.CloseSubmenu();
  menu.OpenSubmenu("List Object Integration");
  menu.AddItem("Get items from list object", 25110);
  menu.AddItem("Put items into a list object", 25120);
  menu.CloseSubmenu();
}

void BuildExpressionMenu(MenuBuilder& menu) {
  menu.AddItem("Get List Length", 27000);
  menu.AddItem("Get Item (as string)", 27010);
  menu.AddItem("Get Item (as number)", 27020);
  menu.AddSeparator();
  menu.AddItem("Get set sum", 27030);
  menu.AddItem("Get set as string", 27040);
  menu.AddSeparator();
  menu.AddItem("Binomial Coefficient", 27050);
}

}  // namespace

HMENU BuildMenu(OperationKind kind) {
  MenuBuilder menu;
  switch (kind) {
    case OperationKind::kCondition:
      break;
    case OperationKind::kAction:
      BuildActionMenu(menu);
      break;
    case OperationKind::kExpression:
      BuildExpressionMenu(menu);
      break;
  }
  return menu.Finish();
}

HMENU MenuForHost(OperationKind kind) {
  HMENU popup = CreatePopupMenu();
  HMENU built = BuildMenu(kind);
  if (popup != nullptr && built != nullptr) CopyMenu(popup, built);
  if (built != nullptr) DestroyMenu(built);
  return popup;
}

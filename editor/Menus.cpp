#include "editor/Menus.h"

#include "abi/OperationCodes.h"
#include "editor/CopyMenu.h"
#include "editor/MenuBuilder.h"

namespace tallyra {

namespace {

using A = ActionCode;
using E = ExpressionCode;

void BuildActionMenu(MenuBuilder& menu) {
  menu.AddItem("Append string to set", MenuIdOf(A::kAppendText));
  menu.AddItem("Append value to set", MenuIdOf(A::kAppendNumber));
  menu.OpenSubmenu("'Virtual' Lists");
  menu.OpenSubmenu("K-Sublist");
  menu.AddItem("Create", MenuIdOf(A::kFirstSubset));
  menu.AddItem("Get next k-sublist", MenuIdOf(A::kNextSubset));
  menu.CloseSubmenu();
  menu.AddSeparator();
  menu.AddItem("Define list by equation", MenuIdOf(A::kDefineFormula));
  menu.AddItem("Define mapping on list", MenuIdOf(A::kDefineMapped));
  menu.AddItem("Define mapping on a pair of list", MenuIdOf(A::kDefineMappedPair));
  menu.AddItem("Define sub-sequence list", MenuIdOf(A::kDefineSubsequence));
  menu.AddItem("Define filtered list", MenuIdOf(A::kDefineFiltered));
  menu.CloseSubmenu();
  menu.OpenSubmenu("List Object Integration");
  menu.AddItem("Get items from list object", MenuIdOf(A::kListObjectToSet));
  menu.AddItem("Put items into a list object", MenuIdOf(A::kSetToListObject));
  menu.CloseSubmenu();
}

void BuildExpressionMenu(MenuBuilder& menu) {
  menu.AddItem("Get List Length", MenuIdOf(E::kLength));
  menu.AddItem("Get Item (as string)", MenuIdOf(E::kElementAtStr));
  menu.AddItem("Get Item (as number)", MenuIdOf(E::kElementAt));
  menu.AddSeparator();
  menu.AddItem("Get set sum", MenuIdOf(E::kListSum));
  menu.AddItem("Get set as string", MenuIdOf(E::kAsString));
  menu.AddSeparator();
  menu.AddItem("Binomial Coefficient", MenuIdOf(E::kBinomial));
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

}  // namespace tallyra

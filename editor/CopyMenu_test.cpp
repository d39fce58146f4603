#include "editor/CopyMenu.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/MenuBuilder.h"

namespace tallyra {

namespace {

std::string TextAt(HMENU menu, int position) {
  char text[256] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

TEST(CopyMenuTest, CopiesNestedSubmenusSeparatorsAndItemStates) {
  const std::string long_text(100, 'L');
  HMENU source = CreatePopupMenu();
  AppendMenuA(source, MF_STRING | MF_GRAYED, 10, "Grayed");
  AppendMenuA(source, MF_SEPARATOR, 0, nullptr);
  HMENU outer = CreatePopupMenu();
  HMENU inner = CreatePopupMenu();
  AppendMenuA(inner, MF_STRING | MF_CHECKED, 30, long_text.c_str());
  AppendMenuA(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "Inner");
  AppendMenuA(outer, MF_STRING, 20, "Plain");
  AppendMenuA(source, MF_POPUP, reinterpret_cast<UINT_PTR>(outer), "Outer");

  HMENU copy = CreatePopupMenu();
  CopyMenu(copy, source);
  DestroyMenu(source);  // the copy stands alone

  ASSERT_EQ(GetMenuItemCount(copy), 3);
  EXPECT_EQ(GetMenuItemID(copy, 0), 10u);
  EXPECT_EQ(TextAt(copy, 0), "Grayed");
  EXPECT_EQ(GetMenuState(copy, 0, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
  EXPECT_EQ(GetMenuItemID(copy, 1), 0u);  // the separator
  EXPECT_EQ(GetMenuItemID(copy, 2), 0xFFFFFFFFu);
  EXPECT_EQ(TextAt(copy, 2), "Outer");

  HMENU outer_copy = GetSubMenu(copy, 2);
  ASSERT_EQ(GetMenuItemCount(outer_copy), 2);
  EXPECT_EQ(TextAt(outer_copy, 0), "Inner");
  EXPECT_EQ(GetMenuItemID(outer_copy, 1), 20u);
  HMENU inner_copy = GetSubMenu(outer_copy, 0);
  ASSERT_EQ(GetMenuItemCount(inner_copy), 1);
  EXPECT_EQ(GetMenuItemID(inner_copy, 0), 30u);
  EXPECT_EQ(GetMenuState(inner_copy, 0, MF_BYPOSITION) & MF_CHECKED, MF_CHECKED);
  // Texts are read through an 80-byte buffer.
  EXPECT_EQ(TextAt(inner_copy, 0), std::string(79, 'L'));
  DestroyMenu(copy);
}

TEST(MenuBuilderTest, ASubmenuJoinsItsParentWhenClosed) {
  MenuBuilder builder;
  builder.AddItem("First", 1);
  builder.OpenSubmenu("Sub");
  builder.AddItem("Inside", 2);
  builder.CloseSubmenu();
  builder.AddSeparator();
  builder.OpenSubmenu("Left open");  // Finish closes it
  HMENU menu = builder.Finish();
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 1u);
  EXPECT_EQ(TextAt(menu, 1), "Sub");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 0), 2u);
  EXPECT_EQ(GetMenuItemID(menu, 2), 0u);
  EXPECT_EQ(TextAt(menu, 3), "Left open");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 3)), 0);
  DestroyMenu(menu);
}

}  // namespace

}  // namespace tallyra

// The menu functions, as the module's editor menus use them. Written against
// the Win32 API alone: the same tests run on Linux against the stand-in and
// under Wine against the system's user32.
#include <string>

#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace {

constexpr UINT kNotFound = 0xFFFFFFFFu;

// root:  "Open" (101) | separator | "Grayed" (102, grayed) | "Checked" (103, checked)
//        | "More" -> more:  "Deep" (201) | "Further" -> further:  "Deepest" (301)
class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = CreateMenu();
    more = CreatePopupMenu();
    further = CreatePopupMenu();
    ASSERT_NE(root, nullptr);
    ASSERT_NE(more, nullptr);
    ASSERT_NE(further, nullptr);
    ASSERT_TRUE(AppendMenuA(root, MF_STRING, 101, "Open"));
    ASSERT_TRUE(AppendMenuA(root, MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(root, MF_STRING | MF_GRAYED, 102, "Grayed"));
    ASSERT_TRUE(AppendMenuA(root, MF_STRING | MF_CHECKED, 103, "Checked"));
    ASSERT_TRUE(AppendMenuA(further, MF_STRING, 301, "Deepest"));
    ASSERT_TRUE(AppendMenuA(more, MF_STRING, 201, "Deep"));
    ASSERT_TRUE(AppendMenuA(more, MF_POPUP, reinterpret_cast<UINT_PTR>(further), "Further"));
    ASSERT_TRUE(AppendMenuA(root, MF_POPUP, reinterpret_cast<UINT_PTR>(more), "More"));
  }
  void TearDown() override {
    if (root != nullptr) DestroyMenu(root);
  }

  // The text of an item, or "<none>" when the item is not found.
  std::string Text(HMENU menu, UINT item, UINT flags) {
    if (GetMenuState(menu, item, flags) == kNotFound) {
      char buffer[8] = "x";
      EXPECT_EQ(GetMenuStringA(menu, item, buffer, sizeof buffer, flags), 0);
      return "<none>";
    }
    char buffer[80] = "unchanged";
    int copied = GetMenuStringA(menu, item, buffer, sizeof buffer, flags);
    EXPECT_EQ(copied, static_cast<int>(std::string(buffer).size()));
    return buffer;
  }

  HMENU root = nullptr;
  HMENU more = nullptr;
  HMENU further = nullptr;
};

TEST_F(MenuTest, ItemsReadByPosition) {
  EXPECT_EQ(GetMenuItemCount(root), 5);
  EXPECT_EQ(GetMenuItemCount(more), 2);
  EXPECT_EQ(GetMenuItemCount(further), 1);

  EXPECT_EQ(GetMenuItemID(root, 0), 101u);
  EXPECT_EQ(GetMenuItemID(root, 1), 0u);  // separator
  EXPECT_EQ(GetMenuItemID(root, 2), 102u);
  EXPECT_EQ(GetMenuItemID(root, 3), 103u);
  EXPECT_EQ(GetMenuItemID(root, 4), kNotFound);  // submenu
  EXPECT_EQ(GetMenuItemID(root, 5), kNotFound);
  EXPECT_EQ(GetMenuItemID(root, -1), kNotFound);

  EXPECT_EQ(GetSubMenu(root, 4), more);
  EXPECT_EQ(GetSubMenu(more, 1), further);
  EXPECT_EQ(GetSubMenu(root, 0), nullptr);
  EXPECT_EQ(GetSubMenu(root, 1), nullptr);
  EXPECT_EQ(GetSubMenu(root, 9), nullptr);

  EXPECT_EQ(Text(root, 0, MF_BYPOSITION), "Open");
  EXPECT_EQ(Text(root, 1, MF_BYPOSITION), "");  // separators have no text
  EXPECT_EQ(Text(root, 4, MF_BYPOSITION), "More");
  EXPECT_EQ(Text(more, 1, MF_BYPOSITION), "Further");
  EXPECT_EQ(Text(root, 7, MF_BYPOSITION), "<none>");
}

TEST_F(MenuTest, ItemsFoundByCommandInSubmenus) {
  EXPECT_EQ(Text(root, 103, MF_BYCOMMAND), "Checked");
  EXPECT_EQ(Text(root, 201, MF_BYCOMMAND), "Deep");
  EXPECT_EQ(Text(root, 301, MF_BYCOMMAND), "Deepest");
  EXPECT_EQ(Text(more, 101, MF_BYCOMMAND), "<none>");  // not below `more`
  EXPECT_EQ(Text(root, 999, MF_BYCOMMAND), "<none>");
  EXPECT_EQ(GetMenuState(root, 301, MF_BYCOMMAND), 0u);
  EXPECT_EQ(GetMenuState(root, 999, MF_BYCOMMAND), kNotFound);
}

TEST_F(MenuTest, StringsAreCutToTheBufferAndMeasuredWithoutOne) {
#ifndef _WIN32
  // Windows copies at most maxCount - 1 characters and the terminator. (Wine 8
  // leaves a cut text unterminated, so this runs on the stand-in only.)
  char buffer[8];
  EXPECT_EQ(GetMenuStringA(root, 2, buffer, 4, MF_BYPOSITION), 3);
  EXPECT_STREQ(buffer, "Gra");
  EXPECT_EQ(GetMenuStringA(root, 2, buffer, 1, MF_BYPOSITION), 0);
  EXPECT_STREQ(buffer, "");
#endif
  EXPECT_EQ(GetMenuStringA(root, 2, nullptr, 0, MF_BYPOSITION), 6);
  EXPECT_EQ(GetMenuStringA(root, 301, nullptr, 0, MF_BYCOMMAND), 7);
}

TEST_F(MenuTest, StateHoldsFlagsAndSubmenuSizes) {
  EXPECT_EQ(GetMenuState(root, 0, MF_BYPOSITION), 0u);
  EXPECT_TRUE(GetMenuState(root, 1, MF_BYPOSITION) & MF_SEPARATOR);
  UINT grayed = GetMenuState(root, 2, MF_BYPOSITION);
  EXPECT_TRUE(grayed & MF_GRAYED);
  EXPECT_FALSE(grayed & MF_CHECKED);
  EXPECT_EQ(GetMenuState(root, 3, MF_BYPOSITION), MF_CHECKED);
  // A submenu item: its submenu's item count in the high byte, flags in the low one.
  UINT submenu = GetMenuState(root, 4, MF_BYPOSITION);
  EXPECT_EQ(submenu >> 8, 2u);
  EXPECT_TRUE(submenu & MF_POPUP);
  EXPECT_EQ(GetMenuState(more, 1, MF_BYPOSITION) >> 8, 1u);
  EXPECT_EQ(GetMenuState(root, 5, MF_BYPOSITION), kNotFound);
}

TEST_F(MenuTest, StateReappendedMakesTheSameItem) {
  // What copying a menu does: each text item is appended again with its state as flags.
  HMENU copy = CreatePopupMenu();
  for (int p = 0; p < 4; ++p) {
    char text[80] = {0};
    UINT id = GetMenuItemID(root, p);
    if (id == 0) {
      ASSERT_TRUE(AppendMenuA(copy, MF_SEPARATOR, 0, nullptr));
      continue;
    }
    GetMenuStringA(root, p, text, sizeof text, MF_BYPOSITION);
    ASSERT_TRUE(AppendMenuA(copy, GetMenuState(root, p, MF_BYPOSITION), id, text));
  }
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(GetMenuItemID(copy, p), GetMenuItemID(root, p)) << p;
    EXPECT_EQ(GetMenuState(copy, p, MF_BYPOSITION), GetMenuState(root, p, MF_BYPOSITION)) << p;
    EXPECT_EQ(Text(copy, p, MF_BYPOSITION), Text(root, p, MF_BYPOSITION)) << p;
  }
  EXPECT_TRUE(DestroyMenu(copy));
}

TEST_F(MenuTest, DestroyingAMenuDestroysItsSubmenus) {
  EXPECT_TRUE(DestroyMenu(root));
  EXPECT_EQ(GetMenuItemCount(root), -1);
  EXPECT_EQ(GetMenuItemCount(more), -1);
  EXPECT_EQ(GetMenuItemCount(further), -1);
  EXPECT_FALSE(DestroyMenu(more));
  EXPECT_FALSE(DestroyMenu(root));
  root = nullptr;
}

TEST(MenuHandleTest, BadHandlesFail) {
  HMENU gone = CreatePopupMenu();
  ASSERT_TRUE(DestroyMenu(gone));
  char buffer[8] = "x";
  for (HMENU bad : {static_cast<HMENU>(nullptr), gone}) {
    EXPECT_EQ(GetMenuItemCount(bad), -1);
    EXPECT_EQ(GetMenuItemID(bad, 0), kNotFound);
    EXPECT_EQ(GetMenuState(bad, 0, MF_BYPOSITION), kNotFound);
    EXPECT_EQ(GetMenuStringA(bad, 0, buffer, sizeof buffer, MF_BYPOSITION), 0);
    EXPECT_EQ(GetSubMenu(bad, 0), nullptr);
    EXPECT_FALSE(AppendMenuA(bad, MF_STRING, 1, "x"));
    EXPECT_FALSE(DestroyMenu(bad));
  }
}

#ifndef _WIN32
// The stand-in refuses submenus that are not live menus, and submenus that
// would contain the menu they are appended to (Wine 8 accepts both).
TEST(MenuHandleTest, SubmenusMustBeLiveAndMustNotContainTheirParent) {
  HMENU gone = CreatePopupMenu();
  ASSERT_TRUE(DestroyMenu(gone));
  HMENU menu = CreateMenu();
  HMENU child = CreatePopupMenu();
  HMENU grandchild = CreatePopupMenu();
  EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(gone), "Gone"));
  EXPECT_FALSE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Itself"));
  ASSERT_TRUE(AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(child), "Child"));
  ASSERT_TRUE(AppendMenuA(child, MF_POPUP, reinterpret_cast<UINT_PTR>(grandchild), "Grand"));
  EXPECT_FALSE(AppendMenuA(grandchild, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "Loop"));
  EXPECT_EQ(GetMenuItemCount(grandchild), 0);
  EXPECT_EQ(GetMenuState(menu, 12345, MF_BYCOMMAND), kNotFound);  // the walk ends
  EXPECT_TRUE(DestroyMenu(menu));
  EXPECT_EQ(GetMenuItemCount(grandchild), -1);
}
#endif

TEST(MenuTextTest, LongTextsAreKeptWhole) {
  HMENU menu = CreatePopupMenu();
  std::string text(5000, 'x');
  text += "end";
  ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 7, text.c_str()));
  EXPECT_EQ(GetMenuStringA(menu, 7, nullptr, 0, MF_BYCOMMAND), static_cast<int>(text.size()));
  std::string read(text.size() + 1, '\0');
  EXPECT_EQ(GetMenuStringA(menu, 0, &read[0], static_cast<int>(read.size()), MF_BYPOSITION),
            static_cast<int>(text.size()));
  EXPECT_STREQ(read.c_str(), text.c_str());
  EXPECT_TRUE(DestroyMenu(menu));
}

}  // namespace

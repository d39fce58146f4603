// List boxes, as the module reads and fills a host List object's list box.
// Written against the Win32 API alone (see Menu_test.cpp).
#include <string>

#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace {

class ListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    box = CreateWindowExA(0, "ListBox", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
  }
  void TearDown() override {
    if (box != nullptr) DestroyWindow(box);
  }

  LRESULT Add(const std::string& text) {
    return SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::string Get(int index) {
    LRESULT length = SendMessageA(box, LB_GETTEXTLEN, index, 0);
    if (length < 0) return "<error>";
    std::string text(static_cast<size_t>(length) + 1, '\x7f');
    EXPECT_EQ(SendMessageA(box, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0])), length);
    EXPECT_EQ(text.back(), '\0');  // the item and its terminator fill the buffer
    text.pop_back();
    return text;
  }

  HWND box = nullptr;
};

TEST_F(ListBoxTest, StringsAreAddedAtTheEndInOrder) {
  EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(Add("pear"), 0);
  EXPECT_EQ(Add("Apple"), 1);
  EXPECT_EQ(Add(""), 2);
  EXPECT_EQ(Add("42"), 3);
  EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(Get(0), "pear");
  EXPECT_EQ(Get(1), "Apple");
  EXPECT_EQ(Get(2), "");
  EXPECT_EQ(Get(3), "42");
}

TEST_F(ListBoxTest, BadIndexesAreErrors) {
  Add("only");
  char buffer[16] = "unchanged";
  for (WPARAM index : {WPARAM{1}, WPARAM{100}, static_cast<WPARAM>(-1)}) {
    EXPECT_EQ(SendMessageA(box, LB_GETTEXTLEN, index, 0), LB_ERR) << index;
    EXPECT_EQ(SendMessageA(box, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
  }
  EXPECT_STREQ(buffer, "unchanged");
}

TEST_F(ListBoxTest, LongItemsAreKeptWhole) {
  std::string longItem(10000, 'a');
  longItem += "z";
  Add("x");
  EXPECT_EQ(Add(longItem), 1);
  EXPECT_EQ(SendMessageA(box, LB_GETTEXTLEN, 1, 0), static_cast<LRESULT>(longItem.size()));
  EXPECT_EQ(Get(1), longItem);
}

TEST(ListBoxWindowTest, OnlyKnownClassesMakeWindows) {
  HWND upper =
      CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND lower =
      CreateWindowExA(0, "listbox", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  EXPECT_NE(upper, nullptr);
  EXPECT_NE(lower, nullptr);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(CreateWindowExA(0, "TallyraNoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_TRUE(DestroyWindow(upper));
  EXPECT_TRUE(DestroyWindow(lower));
}

TEST(ListBoxWindowTest, DestroyedWindowsAnswerNothing) {
  HWND box = CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(box, nullptr);
  SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
  ASSERT_TRUE(DestroyWindow(box));
  EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("y")), 0);
  EXPECT_FALSE(DestroyWindow(box));
  EXPECT_FALSE(DestroyWindow(nullptr));
}

}  // namespace

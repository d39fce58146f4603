// MessageBoxA on the stand-in: the host's handler sees and answers each box.
// (Under Windows a box waits for a person; simhost's MessageBoxWatcher answers
// real boxes, and is tested there.)
#ifndef _WIN32

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace {

struct Shown {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

int Record(void* context, HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  static_cast<std::vector<Shown>*>(context)->push_back({owner, text, caption, type});
  return 7;
}

class MessageBoxTest : public ::testing::Test {
 protected:
  void TearDown() override { TlySetMessageBoxHandler(nullptr, nullptr); }
};

TEST_F(MessageBoxTest, TheHandlerSeesAndAnswersEachBox) {
  std::vector<Shown> shown;
  TlySetMessageBoxHandler(&Record, &shown);
  EXPECT_EQ(MessageBoxA(nullptr, "Some text\n\nmore", "A caption", MB_OK | MB_ICONERROR), 7);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), 7);
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].owner, nullptr);
  EXPECT_EQ(shown[0].text, "Some text\n\nmore");
  EXPECT_EQ(shown[0].caption, "A caption");
  EXPECT_EQ(shown[0].type, MB_OK | MB_ICONERROR);
  EXPECT_EQ(shown[1].text, "");
  EXPECT_EQ(shown[1].caption, "Error");  // Win32's caption for a box without one
}

TEST_F(MessageBoxTest, WithoutAHandlerBoxesGoToStandardErrorAndAreAnsweredOk) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Nothing here", "List Object Error", MB_OK), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[List Object Error] Nothing here\n");
}

}  // namespace

#endif  // _WIN32

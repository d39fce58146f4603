// The watcher sees and answers real MessageBoxA calls: the stand-in's on Linux,
// user32's under Wine.
#include "simhost/MessageBoxWatcher.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace tallyra::simhost {

namespace {

using Boxes = std::vector<std::pair<std::string, std::string>>;

MessageBoxWatcher::Handler Recorder(Boxes* boxes) {
  return [boxes](const std::string& caption, const std::string& text) {
    boxes->emplace_back(caption, text);
  };
}

TEST(MessageBoxWatcherTest, ReportsEachBoxAndAnswersOk) {
  Boxes boxes;
  {
    MessageBoxWatcher watcher(Recorder(&boxes));
    EXPECT_EQ(
        MessageBoxA(nullptr, "Error: first line.\n\nSecond line.", "Tallyra Object Error", MB_OK),
        IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "S does not exist", "List Object Error", MB_OK | MB_ICONERROR),
              IDOK);
  }
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].first, "Tallyra Object Error");
  EXPECT_EQ(boxes[0].second, "Error: first line.\n\nSecond line.");
  EXPECT_EQ(boxes[1].first, "List Object Error");
  EXPECT_EQ(boxes[1].second, "S does not exist");
}

TEST(MessageBoxWatcherTest, ANewerWatcherTakesOverUntilItEnds) {
  Boxes outer;
  Boxes inner;
  MessageBoxWatcher first(Recorder(&outer));
  {
    MessageBoxWatcher second(Recorder(&inner));
    EXPECT_EQ(MessageBoxA(nullptr, "one", "c", MB_OK), IDOK);
  }
  EXPECT_EQ(MessageBoxA(nullptr, "two", "c", MB_OK), IDOK);
  ASSERT_EQ(inner.size(), 1u);
  EXPECT_EQ(inner[0].second, "one");
  ASSERT_EQ(outer.size(), 1u);
  EXPECT_EQ(outer[0].second, "two");
}

TEST(MessageBoxWatcherTest, SeesTheOwnerAndTheType) {
  std::vector<MessageBoxWatcher::Box> boxes;
  HWND owner =
      CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  {
    MessageBoxWatcher watcher(
        [&boxes](const MessageBoxWatcher::Box& box) { boxes.push_back(box); });
    EXPECT_EQ(MessageBoxA(nullptr, "plain", "c", MB_OK), IDOK);
    EXPECT_EQ(MessageBoxA(owner, "owned", "c", MB_OKCANCEL | MB_ICONERROR), IDOK);
  }
  DestroyWindow(owner);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "plain");
  EXPECT_FALSE(boxes[0].has_owner);
  EXPECT_EQ(boxes[0].type, MB_OK);
  EXPECT_EQ(boxes[1].text, "owned");
  EXPECT_TRUE(boxes[1].has_owner);
  EXPECT_EQ(boxes[1].type, MB_OKCANCEL | MB_ICONERROR);
}

}  // namespace

}  // namespace tallyra::simhost

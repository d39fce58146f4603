#include "extension/ParamList.h"

#include <gtest/gtest.h>

namespace {

TEST(ParamListTest, KeepsPairsInOrderAndTheLow16BitsOfEachType) {
  const char* first = "First";
  const char* second = "Second";
  const ParamList list = BuildParamList(3, 45, first, 0x12345, second, -1, "Third");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.types, (std::vector<uint16_t>{45, 0x2345, 0xFFFF}));
  EXPECT_EQ(list.titles[0], first);  // the text itself, not a copy
  EXPECT_EQ(list.titles[1], second);
  EXPECT_STREQ(list.at(2).title, "Third");
  EXPECT_EQ(list.at(2).type, 0xFFFF);
}

TEST(ParamListTest, CountZeroGivesAnEmptyList) {
  EXPECT_EQ(BuildParamList(0).size(), 0u);
  EXPECT_TRUE(BuildParamList(0).titles.empty());
}

}  // namespace

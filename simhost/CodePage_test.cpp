#include "simhost/CodePage.h"

#include <gtest/gtest.h>

namespace tallyra::simhost {

namespace {

TEST(CodePageTest, WidensNamesByTheHostsCodePage) {
  EXPECT_EQ(WidenName("List 1", kCodePageWestern), u"List 1");
  EXPECT_EQ(WidenName("Caf\xE9 \x80", kCodePageWestern), u"Caf\u00E9 \u20AC");
  EXPECT_EQ(WidenName("Caf\xC3\xA9 \xE2\x82\xAC", kCodePageUtf8), u"Caf\u00E9 \u20AC");
  EXPECT_EQ(WidenName("\xF0\x9F\x98\x80", kCodePageUtf8), u"\U0001F600");  // a surrogate pair
  // Malformed UTF-8: a stray continuation, a cut sequence, an overlong form.
  EXPECT_EQ(WidenName("a\x80"
                      "b\xC3",
                      kCodePageUtf8),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(WidenName("\xC0\xAF", kCodePageUtf8), u"\uFFFD");
}

}  // namespace

}  // namespace tallyra::simhost

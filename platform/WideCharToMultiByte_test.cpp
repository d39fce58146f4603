// WideCharToMultiByte, as the module converts a host's 16-bit object names.
// Written against the Win32 API alone (see Menu_test.cpp).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Win32.h"

namespace {

using Wide = std::vector<WCHAR>;

// Converts all of `wide` (no terminator) and returns the bytes, or "<failed>".
std::string Convert(UINT codePage, const Wide& wide) {
  int count = static_cast<int>(wide.size());
  int needed = WideCharToMultiByte(codePage, 0, wide.data(), count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return "<failed>";
  std::string out(static_cast<size_t>(needed), '\0');
  int written =
      WideCharToMultiByte(codePage, 0, wide.data(), count, &out[0], needed, nullptr, nullptr);
  if (written != needed) return "<failed>";
  return out;
}

TEST(WideCharToMultiByteTest, Windows1252) {
  struct Case {
    Wide wide;
    std::string bytes;
  } cases[] = {
      {{'N', 'a', 'm', 'e', '1'}, "Name1"},
      {{0x00E9, 0x00FF, 0x00A0}, "\xE9\xFF\xA0"},
      // 0x80-0x9F hold Windows-1252's own characters.
      {{0x20AC, 0x201A, 0x0160, 0x2122, 0x0178}, "\x80\x82\x8A\x99\x9F"},
      // What the code page cannot hold becomes '?', each half of a pair alike.
      {{'a', 0x4E2D, 'b'}, "a?b"},
      {{0xD83D, 0xDE00}, "??"},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(1252, c.wide), c.bytes) << c.bytes;
}

TEST(WideCharToMultiByteTest, Windows1252ReportsAndReplacesTheDefaultCharacter) {
  const WCHAR wide[] = {'x', 0x4E2D, 0};
  char out[8];
  BOOL usedDefault = TRUE;
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, 1, out, sizeof out, nullptr, &usedDefault), 1);
  EXPECT_FALSE(usedDefault);
  const char hash = '#';
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, -1, out, sizeof out, &hash, &usedDefault), 3);
  EXPECT_TRUE(usedDefault);
  EXPECT_STREQ(out, "x#");
}

// With WC_NO_BEST_FIT_CHARS a character that the code page has not got is
// never written as a look-alike (A for A with a macron) but as the default
// character, and reported.
TEST(WideCharToMultiByteTest, Windows1252WithoutLookAlikes) {
  const WCHAR wide[] = {0x0100, 0x00E9, 0};
  char out[8] = "zzzzzzz";
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide, -1, out, sizeof out, nullptr,
                                &usedDefault),
            3);
  EXPECT_TRUE(usedDefault);
  EXPECT_STREQ(out, "?\xE9");
  usedDefault = TRUE;
  EXPECT_EQ(WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide + 1, -1, out, sizeof out, nullptr,
                                &usedDefault),
            2);
  EXPECT_FALSE(usedDefault);
  EXPECT_STREQ(out, "\xE9");
}

TEST(WideCharToMultiByteTest, Utf8) {
  struct Case {
    Wide wide;
    std::string bytes;
  } cases[] = {
      {{'a', 'b'}, "ab"},
      {{0x00E9, 0x20AC}, "\xC3\xA9\xE2\x82\xAC"},
      {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
      // A surrogate without its partner becomes U+FFFD.
      {{0xD83D, 'x'}, "\xEF\xBF\xBDx"},
      {{'x', 0xDE00}, "x\xEF\xBF\xBD"},
      {{0xD83D}, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(Convert(CP_UTF8, c.wide), c.bytes) << c.bytes;
}

TEST(WideCharToMultiByteTest, CountsAndBuffers) {
  const WCHAR wide[] = {'a', 0x00E9, 0};
  char out[8] = "zzzzzzz";
  // -1: up to the terminator, which is converted and counted.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr), 4);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, nullptr), 4);
  EXPECT_STREQ(out, "a\xC3\xA9");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, -1, out, 3, nullptr, nullptr), 3);
  EXPECT_STREQ(out, "a\xE9");
  // A count converts exactly that many characters, with no terminator added.
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, 1, out, sizeof out, nullptr, nullptr), 1);
  EXPECT_EQ(out[0], 'a');
  // A buffer too small fails.
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, 3, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, wide, -1, out, 2, nullptr, nullptr), 0);
  // CP_ACP converts plain ASCII as any ANSI code page does.
  const WCHAR ascii[] = {'L', 'i', 's', 't', '1', 0};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, ascii, -1, out, sizeof out, nullptr, nullptr), 6);
  EXPECT_STREQ(out, "List1");
}

TEST(WideCharToMultiByteTest, BadArgumentsFail) {
  const WCHAR wide[] = {'a', 0};
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, nullptr, -1, out, sizeof out, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, 0, out, sizeof out, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, -1, nullptr, nullptr), 0);
#ifndef _WIN32
  // UTF-8 has no default character: Windows refuses to report one (Wine 8 does not).
  BOOL usedDefault = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, sizeof out, nullptr, &usedDefault), 0);
#endif
  EXPECT_EQ(WideCharToMultiByte(12345, 0, wide, -1, out, sizeof out, nullptr, nullptr), 0);
}

}  // namespace

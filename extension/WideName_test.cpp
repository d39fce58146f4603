#include "extension/WideName.h"

#include <gtest/gtest.h>

#include <string>

namespace tallyra {

namespace {

TEST(WideNameTest, ConvertsWholeOrNotAtAll) {
  struct Case {
    UINT code_page;
    std::u16string name;
    const char* text;  // null: no 8-bit form
  };
  const Case cases[] = {
      {CP_UTF8, u"Caf\u00e9", "Caf\xC3\xA9"},
      {CP_UTF8, u"\U0001F600", "\xF0\x9F\x98\x80"},  // a surrogate pair: one character
      {CP_UTF8, u"Caf\xD800", nullptr},              // a high surrogate at the end
      {CP_UTF8, u"\xD800x", nullptr},                // a high surrogate before no low one
      {CP_UTF8, u"x\xDC00", nullptr},                // a low surrogate alone
      {1252, u"Caf\u00e9 \u20ac", "Caf\xE9 \x80"},
      {1252, u"\u0100", nullptr},  // not in the code page: no look-alike stands in for it
      {CP_UTF8, u"Exactly24CharactersLong!", "Exactly24CharactersLong!"},
      {CP_UTF8, u"TwentyFiveCharactersLong!", "TwentyFiveCharactersLong"},  // the field's 24
  };
  for (const Case& c : cases) {
    char buffer[kNameBufferBytes];
    const bool converted =
        ConvertWideName(c.code_page, reinterpret_cast<const WCHAR*>(c.name.c_str()), buffer);
    EXPECT_EQ(converted, c.text != nullptr) << c.code_page << " " << c.name.size();
    if (converted && c.text != nullptr) {
      EXPECT_STREQ(buffer, c.text);
    }
  }
}

}  // namespace

}  // namespace tallyra

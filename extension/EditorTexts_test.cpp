#include "extension/EditorTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace tallyra {

namespace {

TEST(CopyBoundedTest, WritesAtMostTheMaximumTerminatorIncluded) {
  struct Case {
    const char* text;
    HostWord max_length;
    std::string written;  // the bytes written, terminator included; "" = nothing
  };
  const Case cases[] = {
      {"Second number", 100, std::string("Second number", 14)},
      {"Second number", 14, std::string("Second number", 14)},
      {"Second number", 7, std::string("Second\0", 7)},
      {"Second number", 1, std::string("\0", 1)},
      {"", 5, std::string("\0", 1)},
      {"Second number", 0, ""},
      {"Second number", static_cast<HostWord>(-1), ""},  // a negative maximum
  };
  for (const Case& c : cases) {
    std::string buffer(32, '#');
    CopyBounded(c.text, &buffer[0], c.max_length);
    EXPECT_EQ(buffer.substr(0, c.written.size()), c.written) << c.text << " " << c.max_length;
    EXPECT_EQ(buffer.substr(c.written.size()), std::string(32 - c.written.size(), '#'))
        << c.text << " " << c.max_length;
  }
  CopyBounded("x", nullptr, 10);  // no buffer: nothing to do
}

}  // namespace

}  // namespace tallyra

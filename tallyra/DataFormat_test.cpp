#include "tallyra/DataFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tallyra::script {

namespace {

TEST(DataFormatTest, CsvQuotesOnlyWhatNeedsIt) {
  const struct {
    const char* value;
    const char* record;
  } cases[] = {
      {"7", "3,7"},
      {"plain text", "3,plain text"},
      {"", "3,"},
      {"a,b", "3,\"a,b\""},
      {"say \"hi\"", "3,\"say \"\"hi\"\"\""},
      {"two\nlines", "3,\"two\nlines\""},
      {" padded", "3,\" padded\""},
  };
  for (const auto& c : cases) EXPECT_EQ(CsvRecord(3, c.value), c.record) << c.value;
  EXPECT_TRUE(IsCsvPath("out.CSV"));
  EXPECT_FALSE(IsCsvPath("csv"));
}

std::vector<std::string> Texts(const std::vector<DataValue>& values) {
  std::vector<std::string> texts;
  for (const DataValue& v : values) texts.push_back((v.quoted ? "q:" : "") + v.text);
  return texts;
}

TEST(DataFormatTest, ReadsLinesAndCsvRecordsWithinTheBound) {
  std::vector<DataValue> values;
  bool cut = false;
  std::string error;
  ASSERT_TRUE(ReadValues("1\r\n\ntext", false, 10, &values, &cut, &error));
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"1", "", "text"}));
  // Without the index,value header every field is a value.
  ASSERT_TRUE(ReadValues("1,\"a\"\"b\",c\n2", true, 10, &values, &cut, &error));
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"1", "q:a\"b", "c", "2"}));
  EXPECT_FALSE(cut);
  ASSERT_TRUE(ReadValues("index,value\n0,x\n1,y\n2,z\n", true, 2, &values, &cut, &error));
  EXPECT_EQ(Texts(values), (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(cut);
  EXPECT_FALSE(ReadValues("1,\"open", true, 10, &values, &cut, &error));
  EXPECT_EQ(error, "the quote that opens a value at byte 3 (record 1) is not closed");
}

}  // namespace

}  // namespace tallyra::script

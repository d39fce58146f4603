// Finding the host's List objects by name when the host keeps names as 16-bit
// characters: each name is read as at most 24 characters and converted whole
// to the host's code page, however many bytes that takes; a name that the code
// page cannot write as it is matches no name at all. Driven through the built
// module's routine tables (actions 11 and 12) by the simulated host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "simhost/SimulatedHost.h"
#include "tests/ModulePath.h"

namespace tallyra {

using tallyra::simhost::Arg;
using tallyra::simhost::kCodePageUtf8;
using tallyra::simhost::kCodePageWestern;
using tallyra::simhost::MessageBoxRecord;
using tallyra::simhost::SimulatedHost;
using tallyra::simhost::SimulatedObject;

namespace {

enum { kListObjectToSet = 11, kSetToListObject = 12 };
enum { kAsString = 4 };

using Items = std::vector<std::string>;

const char kMissing[] =
    "Error: The List object you have selected for to import form or export to does not exist (or "
    "is of the wrong type). The action will fail.\n\nThis error message will not be shown when "
    "the program is built.";

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

const std::string kEAcuteUtf8 = "\xC3\xA9";         // U+00E9 in UTF-8
const std::string kSmileUtf8 = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16

class ListObjectNamesTest : public ::testing::Test {
 protected:
  void SetUp() override { host_.SetNamesWide(true); }
  void TearDown() override { EXPECT_EQ(host_.violations(), std::vector<std::string>()); }

  // Action 11 into a fresh set; answers the set's text, "missing" when the
  // missing-object box was shown instead.
  std::string Import(const std::string& object_name) {
    const std::string set = "s" + std::to_string(++sets_);
    host_.ClearRecords();
    object_.Action(kListObjectToSet, {Arg::Text(set), Arg::Text(object_name)});
    if (Missing()) return "missing";
    return object_.Expression(kAsString, {Arg::Text(set), Arg::Number(100)}).text;
  }
  // Action 12 of the set "out" (the element x); answers whether it was written.
  bool Export(const std::string& object_name) {
    host_.ClearRecords();
    object_.Action(kSetToListObject, {Arg::Text("out"), Arg::Text(object_name), Arg::Number(1)});
    return !Missing();
  }
  bool Missing() {
    const std::vector<MessageBoxRecord>& boxes = host_.message_boxes();
    for (const MessageBoxRecord& box : boxes) EXPECT_EQ(box.text, kMissing);
    return !boxes.empty();
  }

  SimulatedHost host_{ModulePath()};
  SimulatedObject& object_ = host_.CreateObject();
  int sets_ = 0;
};

// A name of 13 characters takes 26 bytes in UTF-8: it is found by those 26
// bytes, and its first 12 characters name nothing.
TEST_F(ListObjectNamesTest, Utf8NamesAreComparedWhole) {
  host_.SetCodePage(kCodePageUtf8);
  const std::string e12 = Repeat(kEAcuteUtf8, 12), e13 = Repeat(kEAcuteUtf8, 13);
  host_.AddListObject(e13, {"thirteen"});
  object_.Action(ActionCode::kAppendText, {Arg::Text("out"), Arg::Text("x")});

  EXPECT_EQ(Import(e13), "[thirteen]");
  EXPECT_EQ(Import(e12), "missing");
  EXPECT_FALSE(Export(e12));
  EXPECT_EQ(host_.ListObjectItems(e13), Items{"thirteen"}) << "nothing written into another";

  // Each of two names that share their first 12 characters finds its own.
  host_.AddListObject(e12, {"twelve"});
  EXPECT_EQ(Import(e12), "[twelve]");
  EXPECT_EQ(Import(e13), "[thirteen]");
  EXPECT_TRUE(Export(e13));
  EXPECT_EQ(host_.ListObjectItems(e13), (Items{"thirteen", "x"}));
  EXPECT_EQ(host_.ListObjectItems(e12), Items{"twelve"});

  // 24 characters (48 bytes) and 12 surrogate pairs (24 characters, 48 bytes)
  // are whole names; past 24 characters a name never matches.
  const std::string e24 = Repeat(kEAcuteUtf8, 24), e25 = Repeat(kEAcuteUtf8, 25);
  const std::string smiles = Repeat(kSmileUtf8, 12);
  host_.AddListObject(e24, {"24"});
  host_.AddListObject(smiles, {"smiles"});
  EXPECT_EQ(Import(e24), "[24]");
  EXPECT_EQ(Import(smiles), "[smiles]");
  EXPECT_EQ(Import(e25), "missing");
}

// A name that the code page cannot write as it is matches nothing: not the
// default character's text, not a look-alike, not the text of a surrogate
// without its partner; and every other object is still found by its name.
TEST_F(ListObjectNamesTest, NamesWithoutAnEightBitFormMatchNothing) {
  object_.Action(ActionCode::kAppendText, {Arg::Text("out"), Arg::Text("x")});

  host_.SetCodePage(kCodePageWestern);
  host_.AddWideNamedListObject(u"\u4E2D", "cjk");       // not in Windows-1252
  host_.AddWideNamedListObject(u"\u0100bc", "macron");  // its look-alike is "Abc"
  host_.AddListObject("?", {"question mark"});
  host_.AddListObject("Abc", {"plain"});
  host_.AddListObject(Repeat("\xE9", 24), {"24"});
  EXPECT_EQ(Import("?"), "[question mark]");
  EXPECT_TRUE(Export("?"));
  EXPECT_EQ(Import("Abc"), "[plain]");
  EXPECT_EQ(Import("?bc"), "missing");
  EXPECT_EQ(Import(Repeat("\xE9", 24)), "[24]");
  EXPECT_TRUE(host_.ListObjectItems("cjk").empty());
  EXPECT_TRUE(host_.ListObjectItems("macron").empty());

  // In UTF-8 every character has a form; a surrogate without its partner has
  // none, nor a pair cut at the 24th character.
  host_.SetCodePage(kCodePageUtf8);
  host_.AddWideNamedListObject(u"x\xD800", "lone");
  std::u16string cut = u"a";  // 25 characters, the last the second half of a pair
  for (int i = 0; i < 12; ++i) cut += u"\U0001F600";
  host_.AddWideNamedListObject(cut, "cut");
  const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD
  EXPECT_EQ(Import("x" + replacement), "missing");
  EXPECT_EQ(Import("a" + Repeat(kSmileUtf8, 11)), "missing");
  EXPECT_EQ(Import("a" + Repeat(kSmileUtf8, 11) + replacement), "missing");
  host_.AddListObject("x" + replacement, {"replacement"});
  EXPECT_EQ(Import("x" + replacement), "[replacement]");
  EXPECT_EQ(Import("\xE4\xB8\xAD"), "[]") << "U+4E2D is written in UTF-8";
}

}  // namespace

}  // namespace tallyra

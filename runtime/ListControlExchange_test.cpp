// Copying between sets and the host's List objects.
#include "runtime/ListControlExchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "lists/ConcreteList.h"
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/testing/RoutineTest.h"

namespace {

const char kMissingObject[] =
    "Error: The List object you have selected for to import form or export to does not exist (or "
    "is of the wrong type). The action will fail.\n\nThis error message will not be shown when "
    "the program is built.";
const char kZeroMaximum[] =
    "Error: You have asked to copy the content of a set into a List control, but then have said "
    "a maximum of 0 items. Are you sure you really mean this?\n\nThis error message will not be "
    "shown when the program is built.";

using Items = std::vector<std::string>;

class ListControlTest : public RoutineTest {
 protected:
  void ListToSet(const std::string& set, const std::string& object) {
    Run(ActionListObjectToSet, {set, object});
  }
  void SetToList(const std::string& set, const std::string& object, int32_t maximum) {
    host_.QueueText(set);
    host_.QueueText(object);
    host_.QueueInteger(maximum);
    ActionSetToListObject(run_, host_, budget());
  }
  bool Finds(const std::string& name) {
    HostObjectView found;
    return FindHostListObject(name, host_, &found);
  }
};

TEST_F(ListControlTest, ItemsAreAppendedAsTexts) {
  const HWND box = host_.AddListObject("List 1");
  FakeHost::AddItem(box, "a");
  FakeHost::AddItem(box, "42");
  AppendNumber("s", 1);
  ListToSet("s", "List 1");
  EXPECT_EQ(AsString("s"), "[1, a, 42]");
  EXPECT_EQ(Set("s")->get()->ElementAt(2, UnlimitedBudget()).kind, kElementText);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_EQ(FakeHost::Items(box), (Items{"a", "42"})) << "the List object is only read";
}

TEST_F(ListControlTest, LongItemsAreReadWhole) {
  const HWND box = host_.AddListObject("L");
  const Items items = {std::string(63, 'a'), std::string(64, 'b'), std::string(1000, 'c'), ""};
  for (const std::string& item : items) FakeHost::AddItem(box, item);
  ListToSet("s", "L");
  ASSERT_EQ(Length("s"), 4);
  for (uint32_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(Set("s")->get()->ElementAt(i, UnlimitedBudget()).text, items[i]);
}

TEST_F(ListControlTest, TheSetIsMadeBeforeTheObjectIsLookedFor) {
  host_.AddListObject("List 1");
  ListToSet("new", "list 1");
  EXPECT_EQ(boxes_.Texts(), Items{kMissingObject});
  EXPECT_EQ(boxes_.boxes()[0].caption, "Tallyra Object Error");
  EXPECT_FALSE(boxes_.boxes()[0].hasOwner);
  EXPECT_EQ(boxes_.boxes()[0].type, MB_OK);
  ASSERT_NE(Set("new"), nullptr);
  EXPECT_EQ(Length("new"), 0);
  // A finite virtual set becomes its concrete copy, object or no object.
  FirstSubset("<primes>", 2, "pair");
  ListToSet("pair", "missing");
  EXPECT_NE(dynamic_cast<ConcreteList*>(Set("pair")->get()), nullptr);
  EXPECT_EQ(AsString("pair"), "[2, 3]");
}

TEST_F(ListControlTest, AVirtualSetTakesNoItems) {
  const HWND box = host_.AddListObject("L");
  FakeHost::AddItem(box, "a");
  List* primes = Set("<p>")->get();
  ListToSet("<p>", "L");
  ListToSet("<p>", "missing");  // ends before the object is looked for
  EXPECT_EQ(boxes_.Texts(),
            Items(2, "<p> is a virtual list and so elements cannot be appended to it"));
  EXPECT_EQ(boxes_.boxes()[0].caption, "List Object Error");
  EXPECT_EQ(Set("<p>")->get(), primes);
  EXPECT_EQ(Set("<primes>")->get(), primes);
}

TEST_F(ListControlTest, FindingAListObjectByName) {
  host_.AddObject(0x12345678, "Other");  // not a List object
  host_.AddFreeSlot();
  host_.AddListObject("Exactly24CharactersLong!");
  host_.AddListObject("TwentyFiveCharactersLong!");
  host_.AddListObject("");
  EXPECT_FALSE(Finds("Other"));
  EXPECT_TRUE(Finds("Exactly24CharactersLong!"));
  EXPECT_FALSE(Finds("TwentyFiveCharactersLong!")) << "a name past 24 characters never matches";
  EXPECT_FALSE(Finds("exactly24characterslong!"));
  EXPECT_TRUE(Finds(""));
  EXPECT_EQ(boxes_.Texts(), Items(3, kMissingObject));
}

TEST_F(ListControlTest, OnlyTheLiveObjectsThatTheHostCountsAreSearched) {
  host_.AddListObject("first");
  host_.AddListObject("second");
  host_.SetLiveObjectCount(1);
  EXPECT_TRUE(Finds("first"));
  EXPECT_FALSE(Finds("second"));
  host_.SetLiveObjectCount(0);
  EXPECT_FALSE(Finds("first"));
  host_.SetLiveObjectCount(-1);
  EXPECT_FALSE(Finds("first"));
  EXPECT_EQ(boxes_.Texts(), Items(3, kMissingObject));
}

TEST_F(ListControlTest, WideNamesAreConvertedWithTheHostsCodePage) {
  host_.SetNamesWide(true);
  host_.AddListObject("Plain");
  host_.AddListObject("Exactly24CharactersLong!");
  host_.AddListObject("TwentyFiveCharactersLong!");
  host_.AddWideNamedListObject(u"Caf\u00e9");
  host_.SetCodePage(CP_UTF8);
  EXPECT_TRUE(Finds("Plain"));
  EXPECT_TRUE(Finds("Exactly24CharactersLong!"));
  EXPECT_FALSE(Finds("TwentyFiveCharactersLong!"));
  EXPECT_TRUE(Finds("Caf\xC3\xA9"));
  EXPECT_FALSE(Finds("Caf"));
  EXPECT_EQ(boxes_.Texts(), Items(2, kMissingObject));
}

TEST_F(ListControlTest, SetToListAddsUpToTheMaximum) {
  const HWND box = host_.AddListObject("L");
  FakeHost::AddItem(box, "kept");
  for (const char* text : {"a", "b", "c", "d", "e"}) AppendText("five", text);
  SetToList("five", "L", 2);
  EXPECT_EQ(FakeHost::Items(box), (Items{"kept", "a", "b"}));
  for (float value : {1.0f, 2.5f, 1e6f}) AppendNumber("three", value);
  SetToList("three", "L", 10);
  EXPECT_EQ(FakeHost::Items(box), (Items{"kept", "a", "b", "1", "2", "1e+006"}));
  const HWND primes = host_.AddListObject("P");
  SetToList("<p>", "P", 4);
  EXPECT_EQ(FakeHost::Items(primes), (Items{"2", "3", "5", "7"}));
  EXPECT_TRUE(boxes_.boxes().empty());
}

TEST_F(ListControlTest, AMaximumOfZeroOrLessWarnsFirst) {
  const HWND box = host_.AddListObject("L");
  AppendText("s", "a");
  SetToList("s", "L", 0);
  SetToList("s", "L", -1);
  EXPECT_EQ(boxes_.Texts(), Items(2, kZeroMaximum));
  EXPECT_EQ(boxes_.boxes()[0].caption, "Tallyra Object Error");
  EXPECT_TRUE(FakeHost::Items(box).empty());
  boxes_.Clear();
  SetToList("s", "missing", 0);
  EXPECT_EQ(boxes_.Texts(), (Items{kZeroMaximum, kMissingObject}));
}

TEST_F(ListControlTest, AMissingSetAddsNothingAndStaysMissing) {
  const HWND box = host_.AddListObject("L");
  SetToList("nope", "L", 5);
  SetToList("nope", "missing too", 5);
  EXPECT_TRUE(boxes_.boxes().empty());
  EXPECT_TRUE(FakeHost::Items(box).empty());
  EXPECT_EQ(Set("nope"), nullptr);
}

TEST_F(ListControlTest, SetToListCopiesABoundedAmountInOneCallAndSaysSo) {
  const HWND primes = host_.AddListObject("P");
  SetToList("<p>", "P", 2147483647);
  const Items items = FakeHost::Items(primes);
  EXPECT_EQ(items.size(), static_cast<std::size_t>(kMaxListObjectItemsPerCall));
  EXPECT_EQ(items[3], "7");
  EXPECT_EQ(items.back(), "1.74254e+006");  // the 131,072nd prime, 1742537
  ASSERT_EQ(boxes_.boxes().size(), 1u);
  EXPECT_EQ(boxes_.boxes()[0].caption, "Tallyra Object Error");
  EXPECT_EQ(boxes_.boxes()[0].text,
            "<p> is too large and so only its first 131072 elements were put into P");

  // Elements that the call's budget cannot pay for are not added.
  const HWND box = host_.AddListObject("L");
  Run(ActionDefineFiltered, {"<p>", "x < 12", "small"});
  allowance_ = 100000;
  SetToList("small", "L", 10);
  EXPECT_EQ(FakeHost::Items(box), (Items{"2", "3", "5", "7", "11"}));
  ASSERT_EQ(boxes_.boxes().size(), 2u);
  EXPECT_EQ(boxes_.boxes()[1].text,
            "small is too large and so only its first 5 elements were put into L");

  // Texts count by their bytes: 4 MB items, no more than 16 MB in one call.
  const HWND big = host_.AddListObject("B");
  for (int i = 0; i < 6; ++i) AppendText("texts", std::string(std::size_t{4} << 20, 'a'));
  allowance_ = WorkBudget::kPerCall;
  SetToList("texts", "B", 6);
  EXPECT_EQ(FakeHost::Items(big).size(), 3u);
  ASSERT_EQ(boxes_.boxes().size(), 3u);
  EXPECT_EQ(boxes_.boxes()[2].text,
            "texts is too large and so only its first 3 elements were put into B");
}

}  // namespace

// Copying between sets and the host's List objects.
#include "runtime/ListControlExchange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lists/ConcreteList.h"
#include "lists/WorkBudget.h"
#include "lists/testing/UnlimitedBudget.h"
#include "runtime/testing/RoutineTest.h"

namespace tallyra {

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
    ActionSetToListObject(store(), host_, budget());
  }
};

TEST_F(ListControlTest, ItemsAreAppendedAsTexts) {
  const std::size_t box = host_.AddListObject("List 1", {"a", "42"});
  AppendNumber("s", 1);
  ListToSet("s", "List 1");
  EXPECT_EQ(AsString("s"), "[1, a, 42]");
  EXPECT_EQ(Set("s")->get()->ElementAt(2, UnlimitedBudget()).kind(), kElementText);
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_EQ(host_.Items(box), (Items{"a", "42"})) << "the List object is only read";
}

TEST_F(ListControlTest, LongItemsAreReadWhole) {
  const Items items = {std::string(63, 'a'), std::string(64, 'b'), std::string(1000, 'c'), ""};
  host_.AddListObject("L", items);
  ListToSet("s", "L");
  ASSERT_EQ(Length("s"), 4);
  for (uint32_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(Set("s")->get()->ElementAt(i, UnlimitedBudget()).text(), items[i]);
}

// Taking a List object's items is bounded as a copy is: more items than a
// copy holds, more bytes (the texts of several blocks' worth added up), or
// more than the call's work, and the set stays exactly as it was, with the
// "too large" box; just within the bounds, every item is taken.
TEST_F(ListControlTest, ItemsAreTakenAllOrNoneWithinTheBoundsOfACopy) {
  const std::string mebibyte(1u << 20, 'm');
  const struct {
    const char* what;
    Items items;
    uint64_t allowance;
    bool taken;
  } cases[] = {
      {"the most items", Items(1u << 20, ""), WorkBudget::kPerCall, true},
      {"one item too many", Items((1u << 20) + 1, ""), WorkBudget::kPerCall, false},
      {"16 MiB less the items' count", Items(15, mebibyte), WorkBudget::kPerCall, true},
      {"texts past 16 MiB", Items(16, mebibyte), WorkBudget::kPerCall, false},
      // One unit for the set's concrete form, then 48 an item and 5 for each
      // byte of its text.
      {"a budget that pays", Items(3, std::string(32, 't')), 1 + 3 * (48 + 5 * 32), true},
      {"a unit short", Items(3, std::string(32, 't')), 3 * (48 + 5 * 32), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host_.AddListObject(c.what, c.items);
    const std::string set = std::string("set ") + c.what;
    AppendText(set, "before");
    allowance_ = c.allowance;
    ListToSet(set, c.what);
    allowance_ = WorkBudget::kPerCall;
    const int32_t length = Length(set);
    if (c.taken) {
      EXPECT_TRUE(host_.messages().empty());
      EXPECT_EQ(length, static_cast<int32_t>(1 + c.items.size()));
      EXPECT_EQ(Set(set)->get()->ElementAt(length - 1, UnlimitedBudget()).text(), c.items.back());
    } else {
      EXPECT_EQ(host_.MessageTexts(),
                Items{set + " is too large and so elements cannot be appended to it"});
      EXPECT_EQ(AsString(set), "[before]");
    }
    host_.ClearMessages();
  }
}

TEST_F(ListControlTest, TheSetIsMadeBeforeTheObjectIsLookedFor) {
  host_.AddListObject("List 1");
  ListToSet("new", "list 1");
  EXPECT_EQ(host_.MessageTexts(), Items{kMissingObject});
  EXPECT_EQ(host_.messages()[0].caption, "Tallyra Object Error");
  ASSERT_NE(Set("new"), nullptr);
  EXPECT_EQ(Length("new"), 0);
  // A finite virtual set becomes its concrete copy, object or no object.
  FirstSubset("<primes>", 2, "pair");
  ListToSet("pair", "missing");
  EXPECT_NE(dynamic_cast<ConcreteList*>(Set("pair")->get()), nullptr);
  EXPECT_EQ(AsString("pair"), "[2, 3]");
}

TEST_F(ListControlTest, AVirtualSetTakesNoItems) {
  host_.AddListObject("L", {"a"});
  List* primes = Set("<p>")->get();
  ListToSet("<p>", "L");
  ListToSet("<p>", "missing");  // ends before the object is looked for
  EXPECT_EQ(host_.MessageTexts(),
            Items(2, "<p> is a virtual list and so elements cannot be appended to it"));
  EXPECT_EQ(host_.messages()[0].caption, "List Object Error");
  EXPECT_EQ(Set("<p>")->get(), primes);
  EXPECT_EQ(Set("<primes>")->get(), primes);
}

TEST_F(ListControlTest, SetToListAddsUpToTheMaximum) {
  const std::size_t box = host_.AddListObject("L", {"kept"});
  for (const char* text : {"a", "b", "c", "d", "e"}) AppendText("five", text);
  SetToList("five", "L", 2);
  EXPECT_EQ(host_.Items(box), (Items{"kept", "a", "b"}));
  for (float value : {1.0f, 2.5f, 1e6f}) AppendNumber("three", value);
  SetToList("three", "L", 10);
  EXPECT_EQ(host_.Items(box), (Items{"kept", "a", "b", "1", "2", "1e+006"}));
  const std::size_t primes = host_.AddListObject("P");
  SetToList("<p>", "P", 4);
  EXPECT_EQ(host_.Items(primes), (Items{"2", "3", "5", "7"}));
  EXPECT_TRUE(host_.messages().empty());
}

TEST_F(ListControlTest, AMaximumOfZeroOrLessWarnsFirst) {
  const std::size_t box = host_.AddListObject("L");
  AppendText("s", "a");
  SetToList("s", "L", 0);
  SetToList("s", "L", -1);
  EXPECT_EQ(host_.MessageTexts(), Items(2, kZeroMaximum));
  EXPECT_EQ(host_.messages()[0].caption, "Tallyra Object Error");
  EXPECT_TRUE(host_.Items(box).empty());
  host_.ClearMessages();
  SetToList("s", "missing", 0);
  EXPECT_EQ(host_.MessageTexts(), (Items{kZeroMaximum, kMissingObject}));
}

TEST_F(ListControlTest, AMissingSetAddsNothingAndStaysMissing) {
  const std::size_t box = host_.AddListObject("L");
  SetToList("nope", "L", 5);
  SetToList("nope", "missing too", 5);
  EXPECT_TRUE(host_.messages().empty());
  EXPECT_TRUE(host_.Items(box).empty());
  EXPECT_EQ(Set("nope"), nullptr);
}

TEST_F(ListControlTest, SetToListCopiesABoundedAmountInOneCallAndSaysSo) {
  const std::size_t primes = host_.AddListObject("P");
  SetToList("<p>", "P", 2147483647);
  const Items items = host_.Items(primes);
  EXPECT_EQ(items.size(), static_cast<std::size_t>(kMaxListObjectItemsPerCall));
  EXPECT_EQ(items[3], "7");
  EXPECT_EQ(items.back(), "1.74254e+006");  // the 131,072nd prime, 1742537
  ASSERT_EQ(host_.messages().size(), 1u);
  EXPECT_EQ(host_.messages()[0].caption, "Tallyra Object Error");
  EXPECT_EQ(host_.messages()[0].text,
            "<p> is too large and so only its first 131072 elements were put into P");

  // Elements that the call's budget cannot pay for are not added.
  const std::size_t box = host_.AddListObject("L");
  Run(ActionDefineFiltered, {"<p>", "x < 12", "small"});
  allowance_ = 100000;
  SetToList("small", "L", 10);
  EXPECT_EQ(host_.Items(box), (Items{"2", "3", "5", "7", "11"}));
  ASSERT_EQ(host_.messages().size(), 2u);
  EXPECT_EQ(host_.messages()[1].text,
            "small is too large and so only its first 5 elements were put into L");

  // Texts count by their bytes: 4 MB items, no more than 16 MB in one call.
  const std::size_t big = host_.AddListObject("B");
  for (int i = 0; i < 6; ++i) AppendText("texts", std::string(std::size_t{4} << 20, 'a'));
  allowance_ = WorkBudget::kPerCall;
  SetToList("texts", "B", 6);
  EXPECT_EQ(host_.Items(big).size(), 3u);
  ASSERT_EQ(host_.messages().size(), 3u);
  EXPECT_EQ(host_.messages()[2].text,
            "texts is too large and so only its first 3 elements were put into B");
}

}  // namespace

}  // namespace tallyra

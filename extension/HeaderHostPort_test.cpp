#include "extension/HeaderHostPort.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "extension/ExpressionParamReader.h"
#include "platform/Win32.h"
#include "simhost/MessageBoxWatcher.h"

namespace tallyra {

using tallyra::simhost::MessageBoxWatcher;

namespace {

std::vector<HostWord> calls;                  // what the services were asked, flattened
std::vector<std::unique_ptr<char[]>> spaces;  // string space handed out
std::vector<HostWord> space_sizes;
HostWord names_wide = 1;
HostWord code_page = 65001;

HostWord TLY_CALL AnswerNull(HostObjectHeader*, HostWord kind, HostWord) {
  calls.push_back(kind);
  return 0;
}
HostWord TLY_CALL AnswerHandle(HostObjectHeader*, HostWord, HostWord handle) { return handle; }
HostWord TLY_CALL NoSpace(HostObjectHeader*, HostWord, HostWord) { return 0; }
HostWord TLY_CALL Space(HostObjectHeader*, HostWord size, HostWord) {
  spaces.push_back(std::make_unique<char[]>(size));
  space_sizes.push_back(size);
  return reinterpret_cast<HostWord>(spaces.back().get());
}
HostWord TLY_CALL General(void* edit_data, HostWord function, HostWord a, HostWord b, HostWord c) {
  calls.insert(calls.end(), {reinterpret_cast<HostWord>(edit_data), function, a, b, c});
  return function == kHostFunctionNamesAreWide ? names_wide : code_page;
}
// Expression parameters: the kind asked and the handle, flattened; the
// answer is the handle.
HostWord TLY_CALL FirstParameter(HostObjectHeader*, HostWord kind, HostWord handle) {
  calls.insert(calls.end(), {1, kind, handle});
  return handle;
}
HostWord TLY_CALL NextParameter(HostObjectHeader*, HostWord kind, HostWord handle) {
  calls.insert(calls.end(), {2, kind, handle});
  return handle;
}

// The text that event parameters answer.
const char* parameter_text = "";
HostWord TLY_CALL AnswerText(HostObjectHeader*, HostWord, HostWord) {
  return reinterpret_cast<HostWord>(parameter_text);
}

class HeaderHostPortTest : public ::testing::Test {
 protected:
  HeaderHostPortTest() {
    calls.clear();
    spaces.clear();
    space_sizes.clear();
    names_wide = 1;
    code_page = 65001;
    std::memset(&run_, 0, sizeof run_);
    run_.header.run_header = &run_header_;
    run_.header.flags = 0x0001;
  }

  // Lays out the object slots: null entries are free slots. The array has
  // exactly that many slots, so a walk past it shows under the sanitizer.
  void SetSlots(const std::vector<HostObjectRecord*>& objects, int32_t live) {
    slots_ = std::make_unique<HostObjectSlot[]>(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) slots_[i].object = objects[i];
    run_header_.object_slots = slots_.get();
    run_header_.live_object_count = live;
  }

  std::vector<uint32_t> Walk() {
    std::vector<uint32_t> identifiers;
    uint32_t slot = 0;
    HostObjectView view;
    while (port_.NextLiveObject(&slot, &view)) identifiers.push_back(view.identifier);
    return identifiers;
  }

  bool Finds(const std::string& name) { return port_.FindListObject(name).has_value(); }

  HostRunFunctions functions_{&AnswerNull, &AnswerHandle, &AnswerHandle, &NoSpace, nullptr};
  HostEditor editor_{&General};
  HostRunHeader run_header_{&functions_, &editor_, 0, nullptr, 0x77};
  std::unique_ptr<HostObjectSlot[]> slots_;
  RunData run_;
  WorkBudget budget_;
  HeaderHostPort port_{run_, budget_};
};

TEST_F(HeaderHostPortTest, NullTextsReadAsEmptyAndNullSpaceRaises) {
  const HostWord text = port_.GetEventParameter(kEventParamText);
  ASSERT_NE(text, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(text), "");
  EXPECT_EQ(port_.GetEventParameter(kEventParamInteger), 0u);  // integers stay as they are
  EXPECT_EQ(calls, (std::vector<HostWord>{kEventParamText, kEventParamInteger}));
  EXPECT_EQ(port_.GetFirstExpressionParameter(kExpressionParamInteger, 0), 0u);
  EXPECT_NE(port_.GetNextExpressionParameter(kExpressionParamText, 0), 0u);
  EXPECT_THROW(port_.GetStringSpace(4), std::bad_alloc);
  EXPECT_EQ(port_.NextText(), "");
  EXPECT_THROW(port_.ReturnText("x"), std::bad_alloc);
}

// A text parameter is charged 8 and 4 a byte before it is copied; no byte is
// looked at past one after the limit, nor past what the budget can pay for;
// a text that the budget cannot pay for comes back empty, the budget spent.
TEST_F(HeaderHostPortTest, TextParametersAreChargedByTheirBytesAndScannedNoFurther) {
  functions_.get_event_parameter = &AnswerText;
  const std::string thousand(1000, 't');
  // Eleven bytes and no end: a scan past them shows under the sanitizer.
  const auto unended = std::make_unique<char[]>(11);
  std::memset(unended.get(), 'u', 11);
  const struct {
    const char* text;
    std::size_t limit;
    uint64_t allowance;
    std::string taken;
    uint64_t charged;
  } cases[] = {
      {thousand.c_str(), HostPort::kWholeText, 1u << 20, thousand, 8 + 4 * 1000},
      {thousand.c_str(), HostPort::kWholeText, 8 + 4 * 1000, thousand, 8 + 4 * 1000},
      {thousand.c_str(), HostPort::kWholeText, 8 + 4 * 1000 - 1, "", 8 + 4 * 1000 - 1},
      {thousand.c_str(), 4096, 1u << 20, thousand, 8 + 4 * 1000},
      {unended.get(), 10, 1u << 20, std::string(11, 'u'), 8 + 4 * 11},
      {unended.get(), HostPort::kWholeText, 8 + 4 * 10, "", 8 + 4 * 10},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.taken.size());
    parameter_text = c.text;
    WorkBudget budget(c.allowance);
    HeaderHostPort port(run_, budget);
    EXPECT_EQ(port.NextTextUpTo(c.limit), c.taken);
    EXPECT_EQ(c.allowance - budget.remaining(), c.charged);
    EXPECT_EQ(budget.Spent(), c.taken.empty());
  }
}

TEST_F(HeaderHostPortTest, ResultsAreMarkedInTheHostsFlags) {
  functions_.get_string_space = &Space;
  port_.ReturnText("two");
  EXPECT_EQ(run_.header.flags, 0x8001);
  EXPECT_STREQ(reinterpret_cast<const char*>(port_.result()), "two");
  port_.ReturnText("");
  EXPECT_EQ(space_sizes, (std::vector<HostWord>{4, 1}));  // the text and its NUL
  EXPECT_EQ(port_.result(), reinterpret_cast<HostWord>(spaces.back().get()));

  // A missing set's empty text is the module's own.
  run_.header.flags = 0x0001;
  port_.ReturnEmptyText();
  EXPECT_EQ(run_.header.flags, 0x8001);
  EXPECT_STREQ(reinterpret_cast<const char*>(port_.result()), "");
  EXPECT_EQ(space_sizes.size(), 2u);

  run_.header.flags = 0x0001;
  port_.ReturnFloat(0.1);
  EXPECT_EQ(run_.header.flags, 0x4001);
  const float single = 0.1f;
  uint32_t bits;
  std::memcpy(&bits, &single, sizeof bits);
  EXPECT_EQ(port_.result(), HostWord{bits});

  run_.header.flags = 0x0001;
  port_.ReturnInteger(-2);
  EXPECT_EQ(run_.header.flags, 0x0001);
  EXPECT_EQ(port_.result(), static_cast<HostWord>(intptr_t{-2}));
}

TEST_F(HeaderHostPortTest, TheGeneralEntryAnswersNameSettings) {
  EXPECT_TRUE(port_.NamesAreWide());
  EXPECT_EQ(port_.NameCodePage(), 65001u);
  // Function 113 with no words; function 115 with the run header's word.
  EXPECT_EQ(calls, (std::vector<HostWord>{0, 113, 0, 0, 0, 0, 115, 0x77, 0, 0}));
}

TEST_F(HeaderHostPortTest, TheWalkSkipsFreeSlotsAndStopsAtTheLiveCount) {
  HostObjectRecord a{1, "a", 0}, b{2, "b", 0}, c{3, "c", 0};
  SetSlots({nullptr, &a, nullptr, &b, &c}, 3);
  EXPECT_EQ(Walk(), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(port_.LiveObjectCount(), 3);

  // Slots after the last live object are never read: here there are none.
  SetSlots({&a, nullptr, &b}, 2);
  EXPECT_EQ(Walk(), (std::vector<uint32_t>{1, 2}));

  SetSlots({}, 0);
  EXPECT_EQ(Walk(), std::vector<uint32_t>{});
  run_header_.object_slots = nullptr;
  run_header_.live_object_count = 4;  // a count with no slots
  EXPECT_EQ(Walk(), std::vector<uint32_t>{});
}

TEST_F(HeaderHostPortTest, ListObjectsAreFoundByTheirFirst24Characters) {
  names_wide = 0;
  HostObjectRecord other{0x12345678, "Other", 1};  // not a List object
  HostObjectRecord exact{kListObjectIdentifier, "Exactly24CharactersLong!", 2};
  HostObjectRecord longer{kListObjectIdentifier, "TwentyFiveCharactersLong!", 3};
  HostObjectRecord empty{kListObjectIdentifier, "", 4};
  SetSlots({&other, nullptr, &exact, &longer, &empty}, 4);
  EXPECT_FALSE(Finds("Other"));
  ASSERT_TRUE(Finds("Exactly24CharactersLong!"));
  EXPECT_EQ(port_.FindListObject("Exactly24CharactersLong!")->token, 2u);
  EXPECT_FALSE(Finds("TwentyFiveCharactersLong!")) << "a name past 24 characters never matches";
  EXPECT_FALSE(Finds("exactly24characterslong!"));
  EXPECT_TRUE(Finds(""));

  // Only the live objects that the host counts are searched.
  SetSlots({&exact, &empty}, 1);
  EXPECT_TRUE(Finds("Exactly24CharactersLong!"));
  EXPECT_FALSE(Finds(""));
  SetSlots({&exact}, 0);
  EXPECT_FALSE(Finds("Exactly24CharactersLong!"));
  SetSlots({&exact}, -1);
  EXPECT_FALSE(Finds("Exactly24CharactersLong!"));
}

TEST_F(HeaderHostPortTest, WideNamesAreConvertedWithTheHostsCodePage) {
  const std::u16string plain = u"Plain", exact = u"Exactly24CharactersLong!",
                       longer = u"TwentyFiveCharactersLong!", cafe = u"Caf\u00e9",
                       lone = u"Caf\xD800";
  HostObjectRecord records[] = {{kListObjectIdentifier, plain.c_str(), 1},
                                {kListObjectIdentifier, exact.c_str(), 2},
                                {kListObjectIdentifier, longer.c_str(), 3},
                                {kListObjectIdentifier, cafe.c_str(), 4},
                                {kListObjectIdentifier, lone.c_str(), 5}};
  SetSlots({&records[0], &records[1], &records[2], &records[3], &records[4]}, 5);
  EXPECT_TRUE(Finds("Plain"));
  EXPECT_TRUE(Finds("Exactly24CharactersLong!"));
  EXPECT_FALSE(Finds("TwentyFiveCharactersLong!"));
  EXPECT_TRUE(Finds("Caf\xC3\xA9"));
  EXPECT_FALSE(Finds("Caf"));
  EXPECT_FALSE(Finds("Caf\xEF\xBF\xBD")) << "a lone surrogate matches no name";
}

TEST_F(HeaderHostPortTest, ListBoxItemsAreReadWholeAndAdded) {
  const HWND box =
      CreateWindowExA(0, "LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  const ListObjectRef object{reinterpret_cast<std::uintptr_t>(box)};
  const std::vector<std::string> items = {std::string(63, 'a'), std::string(64, 'b'),
                                          std::string(1000, 'c'), ""};
  for (const std::string& item : items) EXPECT_TRUE(port_.AddListObjectItem(object, item));
  ASSERT_EQ(port_.ListObjectItemCount(object), 4);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(port_.ListObjectItem(object, i), items[i]);
  EXPECT_EQ(port_.ListObjectItem(object, 4), "") << "an item that cannot be read is empty";
  DestroyWindow(box);
}

TEST_F(HeaderHostPortTest, MessagesAreModalBoxesWithOneButtonAndNoOwner) {
  std::vector<MessageBoxWatcher::Box> boxes;
  MessageBoxWatcher watcher([&](const MessageBoxWatcher::Box& box) { boxes.push_back(box); });
  port_.ShowMessage("Caption", "Text");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Caption");
  EXPECT_EQ(boxes[0].text, "Text");
  EXPECT_FALSE(boxes[0].has_owner);
  EXPECT_EQ(boxes[0].type, static_cast<unsigned>(MB_OK));
}

TEST_F(HeaderHostPortTest, AnExpressionReadsItsFirstParameterOnceThenTheNext) {
  functions_.get_first_expression_parameter = &FirstParameter;
  functions_.get_next_expression_parameter = &NextParameter;
  ExpressionParamReader reader{&run_, ReadFirst};
  run_.reader = &reader;
  // Handle 0x1234FFFE reaches the host as -2: its low 16 bits, sign-extended.
  EXPECT_EQ(WidenParamHandle(0x00017FFFu), HostWord{0x7FFF});
  const HostWord minus_two = static_cast<HostWord>(intptr_t{-2});
  HeaderHostPort expression(run_, budget_, 0x1234FFFEu);
  EXPECT_EQ(expression.NextInteger(), -2);
  EXPECT_EQ(reader.read, &ReadNext);
  EXPECT_EQ(expression.NextInteger(), -2);
  EXPECT_EQ(calls, (std::vector<HostWord>{1, kExpressionParamInteger, minus_two, 2,
                                          kExpressionParamInteger, minus_two}));
  ResetReader(reader);
  EXPECT_EQ(reader.read, &ReadFirst);
  run_.reader = nullptr;
}

}  // namespace

}  // namespace tallyra

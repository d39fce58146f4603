#include "extension/HeaderHostServices.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <vector>

namespace {

std::vector<HostWord> calls;  // what the services were asked, flattened

HostWord TLY_CALL AnswerNull(HostObjectHeader*, HostWord kind, HostWord) {
  calls.push_back(kind);
  return 0;
}
HostWord TLY_CALL AnswerHandle(HostObjectHeader*, HostWord, HostWord handle) { return handle; }
HostWord TLY_CALL NoSpace(HostObjectHeader*, HostWord, HostWord) { return 0; }
HostWord TLY_CALL General(void* editData, HostWord function, HostWord a, HostWord b, HostWord c) {
  calls.insert(calls.end(), {reinterpret_cast<HostWord>(editData), function, a, b, c});
  return function == kHostFunctionNamesAreWide ? 1 : 65001;
}

class HeaderHostServicesTest : public ::testing::Test {
 protected:
  HeaderHostServicesTest() {
    calls.clear();
    header_.runHeader = &runHeader_;
    header_.flags = 0x0001;
  }

  // Lays out the object slots: null entries are free slots. The array has
  // exactly that many slots, so a walk past it shows under the sanitizer.
  void SetSlots(const std::vector<HostObjectRecord*>& objects, int32_t live) {
    slots_ = std::make_unique<HostObjectSlot[]>(objects.size());
    for (std::size_t i = 0; i < objects.size(); ++i) slots_[i].object = objects[i];
    runHeader_.objectSlots = slots_.get();
    runHeader_.liveObjectCount = live;
  }

  std::vector<uint32_t> Walk() {
    std::vector<uint32_t> identifiers;
    uint32_t slot = 0;
    HostObjectView view;
    while (services_.NextLiveObject(&slot, &view)) identifiers.push_back(view.identifier);
    return identifiers;
  }

  HostRunFunctions functions_{&AnswerNull, &AnswerHandle, &AnswerHandle, &NoSpace, nullptr};
  HostEditor editor_{&General};
  HostRunHeader runHeader_{&functions_, &editor_, 0, nullptr, 0x77};
  std::unique_ptr<HostObjectSlot[]> slots_;
  HostObjectHeader header_{};
  HeaderHostServices services_{&header_};
};

TEST_F(HeaderHostServicesTest, NullTextsReadAsEmptyAndNullSpaceRaises) {
  const HostWord text = services_.GetEventParameter(kEventParamText);
  ASSERT_NE(text, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(text), "");
  EXPECT_EQ(services_.GetEventParameter(kEventParamInteger), 0u);  // integers stay as they are
  EXPECT_EQ(calls, (std::vector<HostWord>{kEventParamText, kEventParamInteger}));
  EXPECT_EQ(services_.GetFirstExpressionParameter(kExpressionParamInteger, 0), 0u);
  EXPECT_NE(services_.GetNextExpressionParameter(kExpressionParamText, 0), 0u);
  EXPECT_THROW(services_.GetStringSpace(4), std::bad_alloc);
}

TEST_F(HeaderHostServicesTest, ResultBitsJoinTheHostsFlags) {
  services_.MarkResult(kResultText);
  EXPECT_EQ(header_.flags, 0x8001);
}

TEST_F(HeaderHostServicesTest, TheGeneralEntryAnswersNameSettings) {
  EXPECT_TRUE(services_.NamesAreWide());
  EXPECT_EQ(services_.NameCodePage(), 65001u);
  // Function 113 with no words; function 115 with the run header's word.
  EXPECT_EQ(calls, (std::vector<HostWord>{0, 113, 0, 0, 0, 0, 115, 0x77, 0, 0}));
}

TEST_F(HeaderHostServicesTest, TheWalkSkipsFreeSlotsAndStopsAtTheLiveCount) {
  HostObjectRecord a{1, "a", 0}, b{2, "b", 0}, c{3, "c", 0};
  SetSlots({nullptr, &a, nullptr, &b, &c}, 3);
  EXPECT_EQ(Walk(), (std::vector<uint32_t>{1, 2, 3}));
  EXPECT_EQ(services_.LiveObjectCount(), 3);

  // Slots after the last live object are never read: here there are none.
  SetSlots({&a, nullptr, &b}, 2);
  EXPECT_EQ(Walk(), (std::vector<uint32_t>{1, 2}));

  SetSlots({}, 0);
  EXPECT_EQ(Walk(), std::vector<uint32_t>{});
  runHeader_.objectSlots = nullptr;
  runHeader_.liveObjectCount = 4;  // a count with no slots
  EXPECT_EQ(Walk(), std::vector<uint32_t>{});
}

}  // namespace

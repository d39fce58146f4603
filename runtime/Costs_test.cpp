// What the operations charge, as figures worked out by hand from the prices
// in lists/WorkBudget.h: a change to one price, or a reader that forgets one,
// changes a figure here. Each operation runs once under a budget of its own;
// what the budget lost is what it charged.
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "lists/ConcreteList.h"
#include "runtime/testing/RoutineTest.h"

namespace tallyra {
namespace {

class CostsTest : public RoutineTest {
 protected:
  uint64_t Charged() const { return allowance_ - budget_->remaining(); }
  std::string Defined(const std::string& set) {
    return Set(set) != nullptr ? "defined" : "not defined";
  }
};

TEST_F(CostsTest, EachOperationChargesWhatItCosts) {
  const std::string blanks_then_five = std::string(320, ' ') + "5";
  const struct {
    const char* operation;
    std::function<void()> build;  // not measured
    std::function<std::string()> run;
    std::string answer;
    uint64_t units;
  } cases[] = {
      // The read's dispatch 1, then the stored read 6 - 1, the text's copy 8,
      // and its 32 bytes at 16 a unit: 2; then its 32 bytes handed to the
      // host, 5 each.
      {"ElementAtStr$ of a stored text of 32 bytes",
       [this] { AppendText("t", std::string(32, 'a')); },
       [this] {
         Evaluate(ExpressionElementAtStr, "t", 0);
         return host_.result_text();
       },
       std::string(32, 'a'), 1 + 5 + 8 + 2 + 5 * 32},
      // The read's dispatch 1 and stored read 6 - 1; the 5 digits handed to
      // the host, 5 each.
      {"ElementAtStr$ of a stored number", [this] { AppendNumber("u", 12345); },
       [this] {
         Evaluate(ExpressionElementAtStr, "u", 0);
         return host_.result_text();
       },
       "12345", 1 + 5 + 5 * 5},
      // The length 2; the text read as a stored read 6, its copy 8 and 20
      // for its 321 bytes; read as a number, 16 and 2 for each of the 321
      // bytes looked at.
      {"ListSum of a stored text of 320 blanks and a 5", [&] { AppendText("b", blanks_then_five); },
       [this] {
         Evaluate(ExpressionListSum, "b");
         return std::to_string(host_.result_float());
       },
       std::to_string(5.0f), 2 + (6 + 8 + 20) + 16 + 2 * 321},
      // The length 2; the text's read 6 + 8 + 20 for its 320 bytes; its
      // writing 8, and 5 for each of the same bytes.
      {"asString$ of a stored text of 320 bytes",
       [this] { AppendText("w", std::string(320, 'w')); }, [this] { return AsString("w", -1); },
       "[" + std::string(320, 'w') + "]", 2 + (6 + 8 + 20) + (8 + 5 * 320)},
      // The length 2; each number's read 6 and writing 8, and 5 for each of
      // its digits (1 + 2 + 3), the separators not counted.
      {"asString$ of the stored numbers 1, 22, 333",
       [this] {
         for (float v : {1, 22, 333}) AppendNumber("s", v);
       },
       [this] { return AsString("s", -1); }, "[1, 22, 333]", 2 + 3 * (6 + 8) + 5 * (1 + 2 + 3)},
      // The length 2; the stored text's read 6 + 8 + 2 for its 40 bytes; its
      // putting into the List object 48, and 5 for each of the same bytes.
      {"a stored text of 40 bytes put into a List object",
       [this] {
         AppendText("p", std::string(40, 'p'));
         host_.AddListObject("L");
       },
       [this] {
         host_.QueueText("p");
         host_.QueueText("L");
         host_.QueueInteger(1);
         ActionSetToListObject(store(), host_, budget());
         return std::string("put");
       },
       "put", 2 + (6 + 8 + 2) + (48 + 5 * 40)},
      // After element 0, element 2047 of the 2048-subset: the top set bit is
      // nearer than the cursor, one block of the mask away. The read's
      // dispatch 1 (the subset's own read price 1 less it), that block 4,
      // then the stored number's dispatch 1 and read 6 - 1.
      {"ElementAt(2047) of a 2048-subset just after ElementAt(0)",
       [this] {
         for (int i = 0; i < 2048; ++i) AppendNumber("n", static_cast<float>(i));
         FirstSubset("n", 2048, "k");
         Evaluate(ExpressionElementAt, "k", 0);
       },
       [this] {
         Evaluate(ExpressionElementAt, "k", 2047);
         return std::to_string(host_.result_float());
       },
       std::to_string(2047.0f), 1 + 4 + 1 + 5},
      // Three blocks of 4,096 texts of 1,536 bytes: each block's texts fit in
      // 16 MiB, all three do not. The length 2; the first two blocks at once,
      // 4,096 x (6 + 8 + 96) each; then the third one by one, until element
      // 2,603 passes 16 MiB: 12,288 x 16 + 2 x 6 MiB + 2,603 x 1,536 bytes.
      {"a stored copy of 18 MiB of texts, refused",
       [this] {
         for (int i = 0; i < 3 * 4096; ++i) AppendText("m", std::string(1536, 'm'));
       },
       [this] {
         try {
           MakeConcreteCopy(**Set("m"), budget());
         } catch (const std::length_error&) {
           return std::string("refused");
         }
         return std::string("copied");
       },
       "refused", 2 + 2 * 4096 * (6 + 8 + 96) + 2603 * (6 + 8 + 96)},
      // A definition: the parser's set-up 16,384, and 16,384 for each of the
      // formula's 5 bytes.
      {"defining the formula list n*n+1", [] {},
       [this] {
         Run(ActionDefineFormula, {"sq", "n*n+1"});
         return Defined("sq");
       },
       "defined", 16384 + 5 * 16384},
      // A formula one byte past the longest taken is refused unread: the
      // set-up alone.
      {"defining a formula list of 4,097 bytes", [] {},
       [this] {
         Run(ActionDefineFormula, {"long", std::string(4097, '1')});
         return Defined("long");
       },
       "defined", 16384},
      // A mapped pair's definition over two sets: 16,384 and 3 x 16,384.
      {"defining the mapped pair a+b", [this] { AppendText("p", "1"); },
       [this] {
         Run(ActionDefineMappedPair, {"p", "p", "a+b", "pp"});
         return Defined("pp");
       },
       "defined", 16384 + 3 * 16384},
      // The first mask of a 1,048,576-subset: 1,048,577 bits, 32,769 blocks
      // of 32, at 16 each; the source is not read.
      {"getting the first 1,048,576-subset of the primes", [] {},
       [this] {
         FirstSubset("<primes>", 1048576, "million");
         return Defined("million");
       },
       "defined", 32769 * 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.operation);
    c.build();
    allowance_ = uint64_t{1} << 40;
    EXPECT_EQ(c.run(), c.answer);
    EXPECT_EQ(Charged(), c.units);
    allowance_ = WorkBudget::kPerCall;
  }
}

}  // namespace
}  // namespace tallyra

#include "tallyra/FormulaHints.h"

#include <gtest/gtest.h>

namespace tallyra::script {

namespace {

TEST(FormulaHintsTest, NamesTheFixOfEachTrap) {
  const struct {
    const char* formula;
    const char* fixes;
  } cases[] = {
      {"2*_pi*n", ""},
      {"pi*n", "write _pi for pi"},
      {"Sin(n) + LOG(n)",
       "write sin for Sin (names are case-sensitive); write log for LOG "
       "(names are case-sensitive)"},
      {"(n+1) % 3", "write mod((n+1), 3) for (n+1) % 3"},
      {"n**2", "write ^ for **"},
      {"floor(x)", "the language has no floor: write rint(v - 0.5) for floor(v)"},
      {"x => 3", "write >= for =>"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormulaFixes(c.formula), c.fixes) << c.formula;
}

TEST(FormulaHintsTest, FindsALoneEqualsSign) {
  EXPECT_EQ(FormulaAssignment("x = 3"), "x = 3");
  EXPECT_EQ(FormulaAssignment("if(n=2, 1, 0)"), "n = 2");
  for (const char* compare : {"x == 3", "x <= 3", "x >= 3", "x != 3", "x > 3"}) {
    EXPECT_EQ(FormulaAssignment(compare), "") << compare;
  }
}

}  // namespace

}  // namespace tallyra::script

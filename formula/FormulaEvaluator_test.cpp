#include "formula/FormulaEvaluator.h"
#include "lists/WorkBudget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

#if defined(__linux__)
#include <pthread.h>
#define TALLYRA_HAVE_PTHREAD 1
#endif

namespace tallyra {

namespace {

static_assert(!std::is_copy_constructible_v<FormulaEvaluator>);
static_assert(!std::is_move_constructible_v<FormulaEvaluator>);

constexpr double kInf = std::numeric_limits<double>::infinity();

// An evaluator with the variables "n" and "x", as a mapped list has them.
struct Evaluation {
  double n = 0;
  double x = 0;
  FormulaEvaluator evaluator{{"n", &n}, {"x", &x}};

  std::optional<double> Run(const std::string& formula) {
    evaluator.SetFormula(formula);
    double value;
    if (!evaluator.Evaluate(&value)) return std::nullopt;
    return value;
  }
};

std::optional<double> Eval(const std::string& formula, double n = 0) {
  Evaluation e;
  e.n = n;
  return e.Run(formula);
}

struct Case {
  const char* formula;
  double expected;
};

void ExpectCases(std::initializer_list<Case> cases, double tolerance = 0) {
  for (const Case& c : cases) {
    const std::optional<double> value = Eval(c.formula);
    ASSERT_TRUE(value.has_value()) << c.formula;
    if (tolerance == 0) {
      EXPECT_EQ(*value, c.expected) << c.formula;
    } else {
      EXPECT_NEAR(*value, c.expected, tolerance) << c.formula;
    }
  }
}

TEST(FormulaLanguageTest, ArithmeticPrecedenceAndLeftGrouping) {
  ExpectCases({
      {"8-2-1", 5},
      {"8/4/2", 1},
      {"2+3*4", 14},
      {"(2+3)*4", 20},
      {"2.5*2", 5},
      {".5+1e3", 1000.5},
      {"1.5e-1*10", 1.5},
      {"2^3^2", 64},  // left grouping, not 2^9
      {"3^2^2^0.5", 9},
      {"2^3^2+1", 65},
      {"2*3^2", 18},
      {"2^3*2", 16},
      {"2^(1+1)^3", 64},
      {"-2^2", -4},  // the unary minus binds more weakly than "^"
      {"-2^3^2", -64},
      {"(-2)^2", 4},
      {"2^-1", 0.5},
      {"2^-1*3", 1.5},
      {"2^-3^2", 0.001953125},  // 2^-(3^2): the sign takes the rest of the chain
      {"2 ^ - 2 ^ 2", 0.0625},
      {"-2*3", -6},
      {"2*-3", -6},
      {"-1*-2", 2},
      {"10-2^2", 6},
      {"max(2^3^2, 1)", 64},
      {"sum(1, 2^2^2)", 17},
      {"(2^3^2)", 64},
  });
}

TEST(FormulaLanguageTest, WordOperatorsTruncateToInt32) {
  ExpectCases({
      {"6 and 3", 2},
      {"6 or 3", 7},
      {"6 xor 3", 5},
      {"0.5 and 1", 0},
      {"2.9 or 0", 2},
      {"-2.9 or 0", -2},
      {"-1 and 255", 255},
      {"2147483647.9 or 0", 2147483647},
      {"2147483648 or 0", -2147483648.0},  // out of range
      {"-2147483648.5 or 0", -2147483648.0},
      {"-2147483649 or 0", -2147483648.0},
      {"1e300 or 0", -2147483648.0},
      {"(0/0) or 0", -2147483648.0},  // NaN
      {"(1/0) or 1", -2147483647.0},
      {"4294967296 and -1", -2147483648.0},
      // One precedence for all three, grouping from the left.
      {"6 or 1 and 4", 4},
      {"2 xor 3 and 1", 1},
      {"1 xor 3 or 4", 6},
      // Below the comparisons and the arithmetic, above "=".
      {"1 and 3 == 3", 1},
      {"3 > 2 and 1 < 2", 1},
      {"1 + 1 and 2", 2},
      {"2 * 3 xor 1", 7},
      {"6and3", 2},
  });
}

TEST(FormulaLanguageTest, Comparisons) {
  ExpectCases({
      {"3 > 2", 1},
      {"2 > 3", 0},
      {"2 >= 2", 1},
      {"2 <= 1", 0},
      {"2 != 2", 0},
      {"2 == 2", 1},
      {"1 < 2", 1},
      {"1 + 1 == 2", 1},
      {"3 > 2 > 1", 0},  // (3 > 2) > 1
  });
  // Every comparison with NaN is false except "!=".
  for (const char* op : {"<", ">", "<=", ">=", "=="}) {
    EXPECT_EQ(Eval(std::string("(0/0) ") + op + " 1"), 0) << op;
    EXPECT_EQ(Eval(std::string("1 ") + op + " (0/0)"), 0) << op;
  }
  EXPECT_EQ(Eval("(0/0) != (0/0)"), 1);
}

TEST(FormulaLanguageTest, AssignmentStoresIntoTheVariable) {
  Evaluation e;
  e.n = 1;
  EXPECT_EQ(e.Run("n = 2 and 3"), 2);  // lowest precedence: n = (2 and 3)
  EXPECT_EQ(e.n, 2);
  EXPECT_EQ(e.Run("x = n^2^3 + 1"), 65);
  EXPECT_EQ(e.x, 65);
  EXPECT_EQ(e.Run("_pi = 3"), std::nullopt);  // not a variable
}

TEST(FormulaLanguageTest, Functions) {
  const double pi = 3.141592653589793;
  ExpectCases(
      {
          {"sin(_pi/2)", 1},
          {"cos(_pi)", -1},
          {"tan(_pi/4)", 1},
          {"asin(1)", pi / 2},
          {"acos(-1)", pi},
          {"atan(1)", pi / 4},
          {"sinh(1)", std::sinh(1.0)},
          {"cosh(1)", std::cosh(1.0)},
          {"tanh(1)", std::tanh(1.0)},
          {"asinh(1)", std::asinh(1.0)},
          {"acosh(2)", std::acosh(2.0)},
          {"atanh(0.5)", std::atanh(0.5)},
      },
      1e-15);
  ExpectCases({
      {"log2(8)", 3},
      {"log10(1000)", 3},
      {"log(1000)", 3},  // base 10, as log10
      {"ln(_e)", 1},
      {"ln(1)", 0},
      {"exp(0)", 1},
      {"exp(1)", std::exp(1.0)},
      {"sqrt(16)", 4},
      {"abs(-3.5)", 3.5},
      {"sign(-4)", -1},
      {"sign(0.1)", 1},
      {"sign(0)", 0},
      {"sign(0/0)", 0},
      {"rint(2.5)", 3},
      {"rint(-2.5)", -2},
      {"rint(2.49)", 2},
      {"mod(7.9, 3)", 1},
      {"mod(-7, 3)", -1},  // the sign of the first
      {"mod(7, -3)", 1},
      {"mod(1e10, 7)", -2},  // -2147483648 mod 7
      {"mod(-2147483648, 3)", -2},
      {"if(0, 5, 7)", 7},
      {"if(2, 5, 7)", 5},
      {"if(0/0, 5, 7)", 5},  // NaN counts as true
      {"sum(4)", 4},
      {"sum(1, 2, 3)", 6},
      {"avg(1, 2)", 1.5},
      {"min(3, 1, 2)", 1},
      {"max(1, 5, 3)", 5},
  });
  EXPECT_EQ(Eval("if(n, 5, 7)", 0), 7);
  EXPECT_EQ(Eval("if(n, 5, 7)", 3), 5);
  EXPECT_EQ(Eval("max(1, n, 3)", 5), 5);
}

TEST(FormulaLanguageTest, IfIsOneOperand) {
  ExpectCases({
      {"if(1, 2, 3)+1", 3},
      {"1+if(0, 2, 3)*2", 7},
      {"-if(0, 1, 2)^2", -4},
      {"if(1, 2, 3)^3^2", 64},
      {"2^if(1, 3, 0)^2", 64},
      {"2^-if(1, 1, 0)^2", 0.5},
      {"if(1, 2^3^2, 0)", 64},
      {"if(2^3^2 == 64, 1, 0)", 1},
      {"if(1, 2, 3) and 6", 2},
      {"if(1, 2, 3) == 2", 1},
      {"max(if(0, 5, 1), if(1, 2, 9))", 2},
      {"if(if(0, 1, 0), 5, if(1, 6, 7))", 6},
      {"if(1, if(0, 1, 2), 3)*10", 20},
      {"if(0, 1, if(0, 2, if(0/0, 3, 4)))", 3},
      {"if( 0 ,1 , 2 )", 2},
      {"if(1 > 2 or 1, 1, 2)", 1},
  });
}

TEST(FormulaLanguageTest, IfEvaluatesOnlyTheChosenArgument) {
  Evaluation e;
  EXPECT_EQ(e.Run("if(n, mod(10, n), -1)"), -1);  // n = 0
  double value = 0;
  e.n = 3;
  ASSERT_TRUE(e.evaluator.Evaluate(&value));
  EXPECT_EQ(value, 1);
  e.n = 0;
  EXPECT_EQ(e.Run("if(n, -1, mod(10, n))"), std::nullopt);  // the failing one is chosen
  EXPECT_EQ(e.Run("if(mod(1, n), 1, 2)"), std::nullopt);    // the condition fails
  // The assignment in the argument not chosen is not made.
  EXPECT_EQ(e.Run("if(1, 5, x = 7) + x"), 5);
  EXPECT_EQ(e.x, 0);
  EXPECT_EQ(e.Run("if(0, x = 8, 6) + x"), 6);
  EXPECT_EQ(e.x, 0);
  EXPECT_EQ(e.Run("if(0/0, x = 9, 6)"), 9);  // NaN counts as true
  EXPECT_EQ(e.x, 9);
}

TEST(FormulaLanguageTest, ConstantsHaveTheirFullValues) {
  ExpectCases({
      {"_pi", 3.141592653589793},
      {"_e", 2.718281828459045},
      {"2*_pi", 6.283185307179586},
  });
}

TEST(FormulaLanguageTest, InfinitiesAndNaNAreResults) {
  ExpectCases({
      {"1/0", kInf},
      {"-1/0", -kInf},
      {"10^400", kInf},
      {"9^9^9^9", kInf},
      {"1e308*10", kInf},
      {"10^-400", 0},
  });
  for (const char* formula : {"0/0", "sqrt(-1)", "ln(-1)", "(1/0)-(1/0)"}) {
    const std::optional<double> value = Eval(formula);
    ASSERT_TRUE(value.has_value()) << formula;
    EXPECT_TRUE(std::isnan(*value)) << formula;
  }
}

TEST(FormulaLanguageTest, Failures) {
  for (const char* formula : {
           "",
           "n+",
           "(1",
           "1)",
           "1 2",
           "y+1",
           "N",
           "Log(10)",
           "foo(1)",
           "sin(1, 2)",
           "if(1, 2)",
           "if(1, 2, 3, 4)",
           "if(1)",
           "if()",
           "if(, 2, 3)",
           "if(1, 2, )",
           "if (1, 2, 3)",
           "if(1, 2, 3",
           "if(1, 2 3)",
           "mod(1)",
           "min()",
           "sum()",
           "mod(7, 0)",
           "mod(7, 0.5)",
           "mod(-2147483648, -1)",
           "n and",
           "and 1",
           "\"text\"",
           "sin (1)",
           "2^",
           "^2",
       }) {
    EXPECT_EQ(Eval(formula), std::nullopt) << formula;
  }
}

TEST(FormulaLanguageTest, UnboundVariableIsAnUndefinedName) {
  double n = 0;
  FormulaEvaluator only_n({{"n", &n}});
  only_n.SetFormula("x+1");
  double value = 42;
  EXPECT_FALSE(only_n.Evaluate(&value));
  EXPECT_FALSE(only_n.Evaluate(&value));
  EXPECT_EQ(value, 42);  // untouched by a failure
}

TEST(FormulaEvaluatorTest, UndefinedValueFailsOnlyThatEvaluation) {
  Evaluation e;
  ASSERT_EQ(e.Run("mod(7, n)"), std::nullopt);  // n = 0
  double value = 0;
  e.n = 2;
  ASSERT_TRUE(e.evaluator.Evaluate(&value));
  EXPECT_EQ(value, 1);
  e.n = 0;
  EXPECT_FALSE(e.evaluator.Evaluate(&value));
  e.n = -1;
  ASSERT_TRUE(e.evaluator.Evaluate(&value));
  EXPECT_EQ(value, 0);
  e.x = -2147483648.0;
  e.evaluator.SetFormula("mod(x, n)");
  EXPECT_FALSE(e.evaluator.Evaluate(&value));
}

// A "mod" without a value fails its evaluation whatever surrounds it, and at
// every evaluation: it is never worked out once while parsing.
TEST(FormulaEvaluatorTest, UndefinedValueFailsWhereverItIs) {
  for (const char* formula :
       {"mod(7, 0)", "mod(7, 0) + 1", "sign(mod(7, 0))", "0*mod(7, 0)", "mod(7, 0) != 1",
        "sum(mod(7, 0))", "mod(mod(7, 0), 1)", "if(mod(7, 0), 1, 1)", "mod(-2147483648, -1)"}) {
    Evaluation e;
    double value = 42;
    e.evaluator.SetFormula(formula);
    EXPECT_FALSE(e.evaluator.Evaluate(&value)) << formula;
    EXPECT_FALSE(e.evaluator.Evaluate(&value)) << formula;
    EXPECT_EQ(value, 42) << formula;
  }
  // Each evaluator has its own: one's failure is not another's.
  Evaluation failing;
  Evaluation fine;
  failing.evaluator.SetFormula("mod(n, 0)");
  fine.evaluator.SetFormula("mod(n + 7, 4)");
  double value = 0;
  EXPECT_FALSE(failing.evaluator.Evaluate(&value));
  ASSERT_TRUE(fine.evaluator.Evaluate(&value));
  EXPECT_EQ(value, 3);
}

TEST(FormulaEvaluatorTest, VariablesAreReadAtEachEvaluation) {
  Evaluation e;
  e.evaluator.SetFormula("x*10+n");
  double value = 0;
  for (double n : {0.0, 3.0, 4294967295.0}) {
    e.n = n;
    e.x = n + 1;
    ASSERT_TRUE(e.evaluator.Evaluate(&value));
    EXPECT_EQ(value, (n + 1) * 10 + n);
  }
}

TEST(FormulaEvaluatorTest, NothingToEvaluateBeforeAFormulaIsSet) {
  double n = 0;
  FormulaEvaluator evaluator({{"n", &n}});
  double value;
  EXPECT_FALSE(evaluator.Evaluate(&value));
  evaluator.SetFormula("n+1");
  ASSERT_TRUE(evaluator.Evaluate(&value));
  EXPECT_EQ(value, 1);
}

TEST(FormulaEvaluatorTest, LongFormulas) {
  // Formulas up to kMaxFormulaLength bytes are taken, and longer ones are
  // refused whatever they hold.
  const std::size_t longest = FormulaEvaluator::kMaxFormulaLength;
  std::string sum = "n";
  while (sum.size() + 2 <= longest) sum += "+1";
  EXPECT_EQ(Eval(sum), (sum.size() - 1) / 2);
  EXPECT_EQ(Eval(sum + std::string(longest - sum.size(), ' ')), (sum.size() - 1) / 2);
  EXPECT_EQ(Eval(sum + std::string(longest - sum.size() + 1, ' ')), std::nullopt);

  std::string chain = "1";
  while (chain.size() + 2 <= longest) chain += "^1";
  EXPECT_EQ(Eval(chain), 1);  // rewritten longer than that, and still taken

  const std::string huge(1000000, '1');
  EXPECT_EQ(Eval(huge), std::nullopt);
  std::string long_sum = "1";
  while (long_sum.size() < 1000000) long_sum += "+1";
  EXPECT_EQ(Eval(long_sum), std::nullopt);
}

// What an evaluation costs follows the compiled formula: calls cost more
// than other steps, and the cost is the same whatever the values.
TEST(FormulaEvaluatorTest, CostFollowsTheCompiledFormula) {
  double n = 0;
  FormulaEvaluator small({{"n", &n}});
  small.SetFormula("n+1");
  FormulaEvaluator calls({{"n", &n}});
  calls.SetFormula("sin(n)+cos(n)");
  FormulaEvaluator refused({{"n", &n}});
  refused.SetFormula("n+");
  EXPECT_EQ(refused.Cost(), work_cost::kEvaluation);
  EXPECT_GT(small.Cost(), work_cost::kEvaluation);
  EXPECT_GE(calls.Cost(), small.Cost() + 2 * work_cost::kFormulaCall);
  std::string nested = "n";
  for (int i = 0; i < 500; ++i) nested = "sin(" + nested + ")";
  FormulaEvaluator deep({{"n", &n}});
  deep.SetFormula(nested);
  EXPECT_GE(deep.Cost(), 500 * work_cost::kFormulaCall);
  const uint64_t before = deep.Cost();
  n = 123.5;
  double value;
  ASSERT_TRUE(deep.Evaluate(&value));
  EXPECT_EQ(deep.Cost(), before);
}

// Deep nesting evaluates and costs no stack: the parser and the regrouping of
// "^" both work without recursion.
void ExpectDeepNestingWorks() {
  const std::size_t longest = FormulaEvaluator::kMaxFormulaLength;
  const std::size_t depth = (longest - 3) / 2;
  const std::string parens = std::string(depth, '(') + "n+1" + std::string(depth, ')');
  EXPECT_EQ(Eval(parens, 2), 3);
  std::string calls;
  for (int i = 0; i < 800; ++i) calls += "abs(";
  calls += "2^3^2" + std::string(800, ')');
  EXPECT_EQ(Eval(calls), 64);
  std::string signs;
  for (int i = 0; i < 1300; ++i) signs += "-(";
  signs += "2^-1^2" + std::string(1300, ')');
  EXPECT_EQ(Eval(signs), 0.5);
  // if(n, if(n, ..., -1), -1) and if(if(...), 1, 0), 450 and 500 deep (some
  // 6000 characters once rewritten).
  std::string then_nest;
  std::string cond_nest;
  for (int i = 0; i < 450; ++i) then_nest += "if(n,";
  for (int i = 0; i < 500; ++i) cond_nest += "if(";
  then_nest += "mod(10,n)";
  cond_nest += "n";
  for (int i = 0; i < 450; ++i) then_nest += ",-1)";
  for (int i = 0; i < 500; ++i) cond_nest += ",1,0)";
  EXPECT_EQ(Eval(then_nest, 0), -1);
  EXPECT_EQ(Eval(then_nest, 3), 1);
  EXPECT_EQ(Eval(cond_nest, 0), 0);
  EXPECT_EQ(Eval(cond_nest, 3), 1);
  EXPECT_EQ(Eval(std::string(longest, '(')), std::nullopt);
}

TEST(FormulaEvaluatorTest, DeepNesting) {
#ifdef TALLYRA_HAVE_PTHREAD
  // On a thread with a small stack, as the host's main thread may have.
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 512 * 1024), 0);
  pthread_t thread;
  auto body = [](void*) -> void* {
    ExpectDeepNestingWorks();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, body, nullptr), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
#else
  ExpectDeepNestingWorks();
#endif
}

TEST(FormulaEvaluatorTest, Truncations) {
  using F = FormulaEvaluator;
  EXPECT_EQ(F::TruncateToInt32(0.9), 0);
  EXPECT_EQ(F::TruncateToInt32(-0.5), 0);
  EXPECT_EQ(F::TruncateToInt32(-1.5), -1);
  EXPECT_EQ(F::TruncateToInt32(2147483647.5), 2147483647);
  EXPECT_EQ(F::TruncateToInt32(-2147483648.9), INT32_MIN);
  EXPECT_EQ(F::TruncateToInt32(2147483648.0), INT32_MIN);
  EXPECT_EQ(F::TruncateToInt32(std::nan("")), INT32_MIN);
  EXPECT_EQ(F::TruncateToInt32(-kInf), INT32_MIN);

  EXPECT_EQ(F::TruncateToPosition(2.9), 2u);
  EXPECT_EQ(F::TruncateToPosition(-0.5), 0u);
  EXPECT_EQ(F::TruncateToPosition(-1), 4294967295u);
  EXPECT_EQ(F::TruncateToPosition(4294967296.0), 0u);
  EXPECT_EQ(F::TruncateToPosition(4294967301.0), 5u);
  EXPECT_EQ(F::TruncateToPosition(-9223372036854775808.0), 0u);
  EXPECT_EQ(F::TruncateToPosition(9223372036854775808.0), 0u);
  EXPECT_EQ(F::TruncateToPosition(1e300), 0u);
  EXPECT_EQ(F::TruncateToPosition(std::nan("")), 0u);
  EXPECT_EQ(F::TruncateToPosition(kInf), 0u);
}

}  // namespace

namespace {

// The check's verdict and the lists' own must agree: a formula is reported
// exactly when the lists' evaluator rejects it for good (not for one value,
// like "mod" by 0).
TEST(FormulaCheckTest, ReportsExactlyTheFormulasThatTheListsReject) {
  for (const char* formula : {"",
                              "n+",
                              "(1",
                              "1)",
                              "1 2",
                              "y+1",
                              "N",
                              "Log(10)",
                              "foo(1)",
                              "sin(1, 2)",
                              "if(1, 2)",
                              "if(1, 2, 3, 4)",
                              "if(1, 2, 3",
                              "mod(1)",
                              "min()",
                              "n and",
                              "and 1",
                              "\"text\"",
                              "sin (1)",
                              "2^",
                              "^2",
                              "1 ? 2",
                              "n*n+1",
                              "2^3^2",
                              "if(n, 5, 7)",
                              "mod(7, 0)",
                              "x = n + 1",
                              "max(1, n, 3) + _pi",
                              "6 and 3 xor n",
                              "log(1000) + ln(_e)"}) {
    Evaluation e;
    const bool rejected = !e.Run(formula).has_value() && std::string(formula) != "mod(7, 0)";
    const std::optional<FormulaEvaluator::Problem> problem =
        FormulaEvaluator::Check(formula, {"n", "x"});
    EXPECT_EQ(problem.has_value(), rejected) << formula;
    if (problem) {
      EXPECT_LE(problem->position, std::string(formula).size()) << formula;
      EXPECT_FALSE(problem->what.empty()) << formula;
    }
  }
}

TEST(FormulaCheckTest, SaysWhereAndWhyInTheTextAsWritten) {
  struct PlaceCase {
    const char* formula;
    std::size_t position;
    const char* what;
  } cases[] = {
      {"n+", 2, "the formula ends where a value or \")\" is still expected"},
      {"x + 1", 0, "\"x\" is no variable, constant or function here (this list's variable is n)"},
      // The rewriting of ^ and of if adds characters: places are the author's.
      {"2^3^2 + y", 8, "\"y\" is no variable, constant or function here"},
      {"if(n, 1, 2) + y", 14, "\"y\" is no variable"},
      {"sin(1, 2)", 8, "too many arguments for \"sin\""},
      {"mod(1)", 5, "too few arguments for \"mod\""},
      {"(n", 2, "a \"(\" is not closed"},
      {"n $ 2", 2, "\"$\" is not part of the formula language"},
  };
  for (const PlaceCase& c : cases) {
    const std::optional<FormulaEvaluator::Problem> problem =
        FormulaEvaluator::Check(c.formula, {"n"});
    ASSERT_TRUE(problem.has_value()) << c.formula;
    EXPECT_EQ(problem->position, c.position) << c.formula;
    EXPECT_EQ(problem->what.rfind(c.what, 0), 0u) << c.formula << ": " << problem->what;
  }
  // The variables are those named: a mapped pair list reads a and b.
  EXPECT_FALSE(FormulaEvaluator::Check("a + b * n", {"n", "a", "b"}).has_value());
}

}  // namespace

}  // namespace tallyra

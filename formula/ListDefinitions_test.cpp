// The lists against their definitions: random sequences of appends, k-subset
// steps, definitions, copies and reads, run on the lists themselves with small
// budgets a call (so that searches are cut short and resumed) and on a plain
// model written from the definitions, with no bounds: a vector of passing
// positions a filter, tested again from the last one + 1. Every answered read
// must agree; a read cut short is asked again until it is answered. A mismatch
// prints the shortest sequence that still shows it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formula/FilteredList.h"
#include "formula/FormulaList.h"
#include "formula/MappedList.h"
#include "formula/MappedPairList.h"
#include "formula/SubsequenceList.h"
#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"

namespace tallyra {

namespace {

using Value = std::optional<double>;  // nullopt: the None element

struct Formula {
  const char* text;
  std::function<double(double n, double x, double b)> value;  // x is a for a pair
};

const std::vector<Formula> kFilters = {
    {"x > 5", [](double, double x, double) { return x > 5; }},
    {"mod(n, 3) == 1", [](double n, double, double) { return std::fmod(n, 3) == 1; }},
    {"x < 3", [](double, double x, double) { return x < 3; }},
    {"x > 0 and n > 1", [](double n, double x, double) { return x > 0 && n > 1; }},
};
const std::vector<Formula> kMaps = {
    {"2*x", [](double, double x, double) { return 2 * x; }},
    {"x + n", [](double n, double x, double) { return x + n; }},
    {"x - 4", [](double, double x, double) { return x - 4; }},
};
const std::vector<Formula> kPairs = {
    {"a+b", [](double, double a, double b) { return a + b; }},
    {"a-b", [](double, double a, double b) { return a - b; }},
};
const std::vector<Formula> kPositions = {
    {"n", [](double n, double, double) { return n; }},
    {"2*n", [](double n, double, double) { return 2 * n; }},
    {"n+1", [](double n, double, double) { return n + 1; }},
    {"n-1", [](double n, double, double) { return n - 1; }},
};
const std::vector<Formula> kIndexFormulas = {
    {"n*n", [](double n, double, double) { return n * n; }},
    {"3 - n", [](double n, double, double) { return 3 - n; }},
};

enum class Kind { kConcrete, kSubset, kFormula, kMapped, kPair, kSubsequence, kFilter };
const char* const kKindNames[] = {"set",  "subset",      "formula list", "mapped",
                                  "pair", "subsequence", "filter"};

// One step of a sequence. Lists are named by their number counted back from
// the newest, modulo the lists in being, so that a sequence stays valid when
// steps are removed.
struct Step {
  enum Op { kAppend, kNextSubset, kDefine, kCopy, kRead } op;
  Kind kind;
  uint32_t a, b;     // lists
  uint32_t formula;  // in the kind's table
  int32_t number;    // appended value, or k
  uint32_t index;    // read
  uint64_t budget;   // units a call
};

// A search that the definition would never end.
struct EndlessSearch {};

// The definitions, unbounded.
class Model {
 public:
  struct Node {
    explicit Node(Kind of, uint32_t first = 0, uint32_t second = 0)
        : kind(of), a(first), b(second) {}
    Kind kind;
    uint32_t a, b;
    const Formula* formula = nullptr;
    std::vector<Value> stored;      // kConcrete
    std::vector<uint32_t> subset;   // kSubset: the chosen positions, increasing
    std::vector<uint32_t> passing;  // kFilter
  };
  std::vector<Node> nodes;

  int64_t Length(uint32_t i) {
    const Node& node = nodes[i];
    switch (node.kind) {
      case Kind::kConcrete:
        return static_cast<int64_t>(node.stored.size());
      case Kind::kSubset:
        return static_cast<int64_t>(node.subset.size());
      case Kind::kMapped:
        return Length(node.a);
      case Kind::kPair: {
        const int64_t first = Length(node.a);
        const int64_t second = Length(node.b);
        if (first == -1) return second;
        if (second == -1) return first;
        return std::max(first, second);
      }
      default:
        return -1;
    }
  }

  Value At(uint32_t i, uint32_t index) {
    Node& node = nodes[i];
    switch (node.kind) {
      case Kind::kConcrete:
        return index < node.stored.size() ? node.stored[index] : Value();
      case Kind::kSubset:
        return index < node.subset.size() ? At(node.a, node.subset[index]) : Value();
      case Kind::kFormula:
        return node.formula->value(index, 0, 0);
      case Kind::kMapped:
        return node.formula->value(index, Number(At(node.a, index)), 0);
      case Kind::kPair: {
        const double a = Number(At(node.a, index));
        return node.formula->value(index, a, Number(At(node.b, index)));
      }
      case Kind::kSubsequence: {
        const double v = node.formula->value(index, 0, 0);
        return At(node.a, static_cast<uint32_t>(static_cast<int64_t>(v)));
      }
      case Kind::kFilter: {
        uint64_t p = node.passing.empty() ? 0 : uint64_t{node.passing.back()} + 1;
        while (nodes[i].passing.size() <= index) {
          const int64_t length = Length(node.a);
          if (length >= 0 && p >= static_cast<uint64_t>(length)) return Value();
          if (length < 0 && p > 2000) throw EndlessSearch();
          const double x = Number(At(node.a, static_cast<uint32_t>(p)));
          if (nodes[i].formula->value(static_cast<double>(p), x, 0) != 0) {
            nodes[i].passing.push_back(static_cast<uint32_t>(p));
          }
          ++p;
        }
        return At(nodes[i].a, nodes[i].passing[index]);
      }
    }
    return Value();
  }

  // The next k-subset in colexicographic order, from the first again when it
  // holds position n (the base's length, -1 read as 4294967295).
  void NextSubset(uint32_t i) {
    const auto n = static_cast<uint32_t>(Length(nodes[i].a));
    std::vector<uint32_t>& s = nodes[i].subset;
    if (s.empty()) return;
    std::size_t j = 0;
    while (j + 1 < s.size() && s[j] + 1 == s[j + 1]) ++j;
    ++s[j];
    for (std::size_t m = 0; m < j; ++m) s[m] = static_cast<uint32_t>(m);
    for (uint32_t chosen : s) {
      if (chosen == n) {
        for (std::size_t m = 0; m < s.size(); ++m) s[m] = static_cast<uint32_t>(m);
      }
    }
  }

  // Whether list i rests, at any depth, on a filter that is past `remembered`
  // and marked; used where the lists keep fewer positions than the model.
  bool RestsOn(uint32_t i, const std::function<bool(uint32_t)>& found) const {
    if (found(i)) return true;
    const Node& node = nodes[i];
    switch (node.kind) {
      case Kind::kConcrete:
      case Kind::kFormula:
        return false;
      case Kind::kPair:
        return RestsOn(node.a, found) || RestsOn(node.b, found);
      default:
        return RestsOn(node.a, found);
    }
  }

 private:
  static double Number(const Value& value) { return value ? *value : 0; }
};

// For a filter past the positions remembered one by one: its base's elements
// below its last passing position, as the definition reads them now (on a copy
// of the model, which reading may change); else nothing.
std::vector<Value> Settled(const Model& model, uint32_t i, const FilterLimits& limits) {
  const Model::Node& node = model.nodes[i];
  if (node.kind != Kind::kFilter || node.passing.size() <= limits.remembered) return {};
  Model copy = model;
  std::vector<Value> elements;
  try {
    for (uint32_t p = 0; p <= node.passing.back(); ++p) elements.push_back(copy.At(node.a, p));
  } catch (const EndlessSearch&) {
    elements.push_back(std::nan(""));  // equal to nothing: taken as changed
  }
  return elements;
}

std::string Describe(const Step& step, uint32_t a, uint32_t b, const char* formula) {
  std::ostringstream out;
  switch (step.op) {
    case Step::kAppend:
      out << "append " << step.number << " to set #" << a;
      break;
    case Step::kNextSubset:
      out << "next subset of subset #" << a;
      break;
    case Step::kDefine:
      out << "define " << kKindNames[static_cast<int>(step.kind)];
      if (step.kind != Kind::kConcrete && step.kind != Kind::kFormula) out << " on #" << a;
      if (step.kind == Kind::kPair) out << " and #" << b;
      if (step.kind == Kind::kSubset) out << ", k = " << step.number;
      if (formula != nullptr) out << " by \"" << formula << "\"";
      break;
    case Step::kCopy:
      out << "copy #" << a << " into a new set";
      break;
    case Step::kRead:
      out << "read element " << step.index << " of #" << a << ", " << step.budget
          << " units a call";
      break;
  }
  return out.str();
}

// Runs a sequence on the lists (with `limits` for the filters) and on the
// model; answers the first disagreement, or "". Writes each step that it
// runs to *log, when given, with the lists that it names.
std::string Run(const std::vector<Step>& steps, const FilterLimits& limits,
                std::vector<std::string>* log = nullptr) {
  Model model;
  std::vector<ListPtr> lists;
  std::vector<uint32_t> sets;     // lists that are concrete
  std::vector<uint32_t> subsets;  // lists that are k-subsets
  // Filters past the positions remembered one by one whose base has since
  // changed in place: the one exception to the definition; not compared.
  std::vector<bool> inexact;
  auto add = [&](Model::Node node, ListPtr list) {
    model.nodes.push_back(std::move(node));
    lists.push_back(std::move(list));
    inexact.push_back(false);
  };
  add(Model::Node(Kind::kConcrete), std::make_shared<ConcreteList>());
  sets.push_back(0);
  WorkBudget unlimited(UINT64_MAX);
  try {
    for (std::size_t s = 0; s < steps.size(); ++s) {
      const Step& step = steps[s];
      const auto count = static_cast<uint32_t>(lists.size());
      const uint32_t a = count - 1 - step.a % count;  // counted back from the newest
      const uint32_t b = count - 1 - step.b % count;
      std::vector<std::vector<Value>> before(lists.size());
      if (step.op == Step::kAppend || step.op == Step::kNextSubset) {
        for (uint32_t i = 0; i < lists.size(); ++i) {
          if (!inexact[i]) before[i] = Settled(model, i, limits);
        }
      }
      auto note = [&](uint32_t first, uint32_t second, const char* formula = nullptr) {
        if (log != nullptr) log->push_back(Describe(step, first, second, formula));
      };
      switch (step.op) {
        case Step::kAppend: {
          const uint32_t set = sets[step.a % sets.size()];
          note(set, 0);
          model.nodes[set].stored.push_back(step.number);
          static_cast<ConcreteList&>(*lists[set]).AppendNumber(step.number);
          break;
        }
        case Step::kNextSubset: {
          if (subsets.empty()) break;
          const uint32_t subset = subsets[step.a % subsets.size()];
          note(subset, 0);
          model.NextSubset(subset);
          static_cast<KSubsetList&>(*lists[subset]).NextSubset(unlimited);
          break;
        }
        case Step::kDefine: {
          Model::Node node(step.kind, a, b);
          ListPtr list;
          auto with = [&](const std::vector<Formula>& table, auto made) {
            node.formula = &table[step.formula % table.size()];
            made->SetFormula(node.formula->text);
            list = made;
          };
          switch (step.kind) {
            case Kind::kConcrete:
              sets.push_back(count);
              list = std::make_shared<ConcreteList>();
              break;
            case Kind::kSubset:
              subsets.push_back(count);
              for (int32_t m = 0; m < step.number; ++m) node.subset.push_back(m);
              list = std::make_shared<KSubsetList>(step.number, lists[a]);
              break;
            case Kind::kFormula:
              with(kIndexFormulas, std::make_shared<FormulaList>());
              break;
            case Kind::kMapped:
              with(kMaps, std::make_shared<MappedList>(lists[a]));
              break;
            case Kind::kPair:
              with(kPairs, std::make_shared<MappedPairList>(lists[a], lists[b]));
              break;
            case Kind::kSubsequence:
              with(kPositions, std::make_shared<SubsequenceList>(lists[a]));
              break;
            case Kind::kFilter:
              with(kFilters, std::make_shared<FilteredList>(lists[a], limits));
              break;
          }
          note(a, b, node.formula != nullptr ? node.formula->text : nullptr);
          add(std::move(node), std::move(list));
          break;
        }
        case Step::kCopy: {
          const int64_t length = model.Length(a);
          if (length < 0) break;
          note(a, 0);
          Model::Node copy(Kind::kConcrete);
          for (uint32_t i = 0; i < length; ++i) copy.stored.push_back(model.At(a, i));
          std::shared_ptr<ConcreteList> made = lists[a]->ToConcrete(unlimited);
          if (made.get() == lists[a].get()) made = MakeConcreteCopy(*made, unlimited);
          sets.push_back(count);
          add(std::move(copy), made);
          break;
        }
        case Step::kRead: {
          note(a, 0);
          Value expected;
          try {
            expected = model.At(a, step.index);
          } catch (const EndlessSearch&) {
            // Asked a few times, the list answers nothing either; the sequence
            // goes on while every filter has found what the definition has.
            for (int call = 0; call < 3; ++call) {
              WorkBudget budget(std::min<uint64_t>(step.budget, 20000));
              lists[a]->ElementAt(step.index, budget);
              if (!budget.Spent()) return "";
            }
            for (uint32_t i = 0; i < lists.size(); ++i) {
              if (model.nodes[i].kind == Kind::kFilter &&
                  static_cast<FilteredList&>(*lists[i]).PassedCount() !=
                      model.nodes[i].passing.size()) {
                return "";
              }
            }
            break;
          }
          Element element;
          bool answered = false;
          for (int call = 0; call < 20000 && !answered; ++call) {
            WorkBudget budget(step.budget);
            element = lists[a]->ElementAt(step.index, budget);
            answered = !budget.Spent();
          }
          if (!answered) return "not answered in 20000 calls";
          if (model.RestsOn(a, [&](uint32_t i) { return inexact[i]; })) break;
          const Value got =
              element.kind() == kElementNone ? Value() : Value(ElementNumber(element));
          if (got != expected) {
            auto show = [](const Value& v) { return v ? std::to_string(*v) : "None"; };
            return "the list answers " + show(got) + ", the definition " + show(expected);
          }
          break;
        }
      }
      if (step.op == Step::kAppend || step.op == Step::kNextSubset) {
        // Past the positions remembered one by one, a filter finds its
        // elements again by testing: where the base's elements below its last
        // passing position have changed, what it finds may differ. The stated
        // exception: such a filter is not compared from then on.
        for (uint32_t i = 0; i < model.nodes.size(); ++i) {
          if (!before[i].empty() && before[i] != Settled(model, i, limits)) inexact[i] = true;
        }
      }
    }
  } catch (const EndlessSearch&) {
    // The definition would search for ever: the sequence ends here.
  }
  return "";
}

std::vector<Step> RandomSequence(std::mt19937& random) {
  auto pick = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(random); };
  const uint64_t budgets[] = {400, 1500, 20000, WorkBudget::kPerCall};
  std::vector<Step> steps;
  const uint32_t length = 6 + pick(30);
  for (uint32_t s = 0; s < length; ++s) {
    Step step{};
    const uint32_t roll = pick(20);
    step.op = roll < 6    ? Step::kAppend
              : roll < 8  ? Step::kNextSubset
              : roll < 13 ? Step::kDefine
              : roll < 14 ? Step::kCopy
                          : Step::kRead;
    step.kind = static_cast<Kind>(pick(7));
    if (step.op == Step::kDefine && pick(2) == 0) step.kind = Kind::kFilter;
    step.a = pick(4) == 0 ? pick(16) : pick(3);  // mostly one of the newest lists
    step.b = pick(16);
    step.formula = pick(4);
    step.number = step.kind == Kind::kSubset ? 1 + static_cast<int32_t>(pick(4))
                                             : static_cast<int32_t>(pick(15)) - 2;
    step.index = pick(10);
    step.budget = budgets[pick(4)];
    steps.push_back(step);
  }
  return steps;
}

// The shortest sequence found, by removing steps one at a time, that still
// disagrees.
std::vector<Step> Shrink(std::vector<Step> steps, const FilterLimits& limits) {
  for (bool shorter = true; shorter;) {
    shorter = false;
    for (std::size_t s = 0; s < steps.size(); ++s) {
      std::vector<Step> fewer = steps;
      fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(s));
      if (!Run(fewer, limits).empty()) {
        steps = std::move(fewer);
        shorter = true;
        --s;
      }
    }
  }
  return steps;
}

void Compare(const FilterLimits& limits, uint32_t sequences, uint32_t seed) {
  std::mt19937 random(seed);
  for (uint32_t n = 0; n < sequences; ++n) {
    const std::vector<Step> steps = RandomSequence(random);
    if (Run(steps, limits).empty()) continue;
    const std::vector<Step> shortest = Shrink(steps, limits);
    std::vector<std::string> log;
    const std::string difference = Run(shortest, limits, &log);
    std::string shown;
    for (std::size_t s = 0; s < log.size(); ++s) {
      shown += "  " + std::to_string(s + 1) + ". " + log[s] + "\n";
    }
    FAIL() << "sequence " << n << " differs from the definition at its last step: " << difference
           << "\nthe shortest that shows it (lists numbered from 0 as they are made, the "
              "first a set):\n"
           << shown;
  }
}

TEST(ListDefinitionsTest, RandomSequencesAnswerAsTheDefinitions) {
  Compare(FilterLimits{}, 6000, 1);
}

TEST(ListDefinitionsTest, PastTheRememberedPositionsToo) {
  // A filter keeps 2 positions one by one, then a grid of 4 points.
  Compare(FilterLimits{2, 4, 2}, 8000, 2);
}

}  // namespace

}  // namespace tallyra

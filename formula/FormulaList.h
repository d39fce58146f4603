// The five list kinds whose elements a formula computes. Each owns one parser
// (FormulaEvaluator) whose variables are bound to the list's own fields, so a
// formula list is neither copyable nor movable: it keeps one place in memory
// for its whole life. Each has SetFormula, which the defining action calls once
// right after construction; the formula is parsed at its first evaluation, and
// a formula that fails gives the list's fallback (the None element, or "does
// not pass" for a filter), never a message.
#ifndef TALLYRA_FORMULA_FORMULALIST_H_
#define TALLYRA_FORMULA_FORMULALIST_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "formula/FormulaEvaluator.h"
#include "lists/List.h"
#include "lists/ListRef.h"

// A list defined on its own or on other lists by a formula.
class FormulaDefinedList : public List {
 public:
  virtual void SetFormula(std::string_view text) = 0;
};

// Element k is the formula's value at n = k. Unbounded.
class FormulaList final : public FormulaDefinedList {
 public:
  FormulaList();
  void SetFormula(std::string_view text) override;
  int32_t Length() override { return -1; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }

 private:
  double n_ = 0;
  FormulaEvaluator evaluator_;
};

// Element k is the formula's value at n = k, x = the base's element k as a
// number. As long as its base.
class MappedList final : public FormulaDefinedList {
 public:
  explicit MappedList(ListRef base);
  void SetFormula(std::string_view text) override;
  int32_t Length() override;
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override;
  uint32_t Depth() const override { return depth_; }

 private:
  ListRef base_;
  uint32_t depth_;
  double n_ = 0;
  double x_ = 0;
  FormulaEvaluator evaluator_;
};

// Element k is the formula's value at n = k, a = the first base's element k
// and b = the second's, as numbers. Unbounded only when both bases are;
// otherwise as long as the longer finite base.
class MappedPairList final : public FormulaDefinedList {
 public:
  MappedPairList(ListRef first, ListRef second);
  void SetFormula(std::string_view text) override;
  int32_t Length() override;
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override;
  uint32_t Depth() const override { return depth_; }

 private:
  ListRef first_;
  ListRef second_;
  uint32_t depth_;
  double n_ = 0;
  double a_ = 0;
  double b_ = 0;
  FormulaEvaluator evaluator_;
};

// Element k is the base's element at the position that the formula gives at
// n = k (truncated toward zero, low 32 bits). Unbounded.
class SubsequenceList final : public FormulaDefinedList {
 public:
  explicit SubsequenceList(ListRef base);
  void SetFormula(std::string_view text) override;
  int32_t Length() override { return -1; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }
  uint32_t Depth() const override { return depth_; }

 private:
  ListRef base_;
  uint32_t depth_;
  double n_ = 0;
  FormulaEvaluator evaluator_;
};

// The base's elements, in base order, for which the formula (n = the base
// position, x = the element as a number) is non-zero. It remembers the base
// positions found to pass; they only grow. Unbounded.
class FilteredList final : public FormulaDefinedList {
 public:
  // A single search tests at most this many base positions before it gives up
  // and the element asked for reads as None.
  static constexpr uint32_t kMaxTestsPerSearch = 1u << 24;

  explicit FilteredList(ListRef base);
  void SetFormula(std::string_view text) override;
  int32_t Length() override { return -1; }
  Element ElementAt(uint32_t index) override;
  std::shared_ptr<ConcreteList> ToConcrete() override { return nullptr; }
  uint32_t Depth() const override { return depth_; }

  const std::vector<uint32_t>& passingPositions() const { return passing_; }

 private:
  void ExtendPassing(uint32_t k);
  bool PassesFilter(uint32_t position);

  std::vector<uint32_t> passing_;
  ListRef base_;
  uint32_t depth_;
  double n_ = 0;
  double x_ = 0;
  FormulaEvaluator evaluator_;
};

#endif  // TALLYRA_FORMULA_FORMULALIST_H_

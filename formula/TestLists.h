// Lists for the formula lists' tests: concrete lists made from a few elements,
// and small virtual lists that count how they are read.
#ifndef TALLYRA_FORMULA_TESTLISTS_H_
#define TALLYRA_FORMULA_TESTLISTS_H_

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <stdexcept>

#include "lists/ConcreteList.h"
#include "lists/List.h"

namespace tallyra {

inline std::shared_ptr<ConcreteList> MakeList(std::initializer_list<Element> elements) {
  auto list = std::make_shared<ConcreteList>();
  for (const Element& element : elements) list->AppendElement(element);
  return list;
}

inline Element Num(double value) { return Element::Number(value); }
inline Element Text(const char* text) { return Element::Text(text); }

// Unbounded: element k is the Number k * step. Counts its reads; each
// charges one unit.
class CountingList final : public List {
 public:
  explicit CountingList(double step = 1) : step_(step) {}
  int64_t reads = 0;
  int64_t length_calls = 0;

 private:
  int32_t LengthOf(WorkBudget&) override {
    ++length_calls;
    return -1;
  }
  Element ElementOf(uint32_t index, WorkBudget& budget) override {
    ++reads;
    if (!budget.Charge(1)) return Element::None();
    return Element::Number(index * step_);
  }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

  double step_;
};

// A list whose every read raises, and whose depth is set at will.
class ThrowingList final : public List {
 public:
  explicit ThrowingList(uint32_t depth = 0) : depth_(depth) {}
  uint32_t Depth() const override { return depth_; }

 private:
  int32_t LengthOf(WorkBudget&) override { return 3; }
  Element ElementOf(uint32_t, WorkBudget&) override { throw std::runtime_error("read failed"); }
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }
  uint32_t depth_;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_TESTLISTS_H_

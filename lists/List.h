// List: the abstract list that every named set is. A list answers its length
// (-1 when it is unbounded), a copy of its element at a zero-based index, the
// element as a number, and its concrete form. Reads and copies charge their
// work to the WorkBudget of the host call that makes them, and answer None (a
// copy: refuse) once it is spent.
//
// Charging. The public operations are not virtual: each charges its dispatch
// (work_cost::kListRead, kLengthQuery) to the budget before it calls the
// kind's own implementation, the private virtual hooks LengthOf, ElementOf,
// NumberOf and ConcreteOf, and answers the neutral value without calling it
// once the budget is spent. A kind reads the lists that it rests on only
// through these public operations, so every read and every length query,
// through every level, is paid for where it is made; the hooks charge only
// what the kind's own work costs beyond that (a stored text's bytes, a
// formula's evaluation, a prime's seek). A hook is never called with a spent
// budget.
//
// Ownership: lists are always held by std::shared_ptr (through ListRef). A list
// lives while a name in a set store or a virtual list built on it refers to it.
// Reading a list may change its state (the prime list grows, a filtered list
// records what passed), so reads of one list never overlap.
#ifndef TALLYRA_LISTS_LIST_H_
#define TALLYRA_LISTS_LIST_H_

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "lists/Element.h"
#include "lists/WorkBudget.h"

namespace tallyra {

class ConcreteList;

class List : public std::enable_shared_from_this<List> {
 public:
  // Out of line: with the test hooks they count the lists in being (LiveCount).
  List() noexcept;
  List(const List&) = delete;
  List& operator=(const List&) = delete;
  virtual ~List();

  // Number of elements; -1 when the list is unbounded. 0 when the budget is
  // spent (look at budget.Spent() before trusting it).
  int32_t Length(WorkBudget& budget) {
    return budget.Charge(work_cost::kLengthQuery) ? LengthOf(budget) : 0;
  }

  // A copy of the element at index; what lies past the end is the kind's own
  // (the None element for concrete and k-subset lists). None when the budget
  // is spent.
  Element ElementAt(uint32_t index, WorkBudget& budget) {
    return budget.Charge(work_cost::kListRead) ? ElementOf(index, budget) : Element::None();
  }

  // The element at index as a number (ElementNumber of ElementAt), read in
  // place where the kind can; 0 when the budget is spent.
  double NumberAt(uint32_t index, WorkBudget& budget) {
    return budget.Charge(work_cost::kListRead) ? NumberOf(index, budget) : 0.0;
  }

  // The concrete form: the list itself for a ConcreteList, a new independent
  // copy for a finite virtual list (see MakeConcreteCopy), null when the list
  // has none. Throws std::length_error, as a copy cut short does, when the
  // budget is spent.
  std::shared_ptr<ConcreteList> ToConcrete(WorkBudget& budget) {
    if (!budget.Charge(work_cost::kListRead))
      throw std::length_error("the list takes too long to copy");
    return ConcreteOf(budget);
  }

  // A number that changes whenever an element or the length of this list may
  // have changed since it was last asked: an append to a stored list, a
  // k-subset's step, in this list or in any list that it rests on. It only
  // grows. Each list that the query passes through charges
  // work_cost::kVersionQuery; 0 when the budget is spent (look at
  // budget.Spent() before trusting it).
  uint64_t Version(WorkBudget& budget) {
    return budget.Charge(work_cost::kVersionQuery) ? VersionOf(budget) : 0;
  }

  // How many lists this one rests on, one on another: 0 for a list built on no
  // other list, else 1 + the deepest base.
  virtual uint32_t Depth() const { return 0; }

  // How many list reads one read of an element (or of the length) makes at
  // most, this list's own included, along every path through the lists that
  // it rests on: 1 for a list built on no other, else 1 + the weights of its
  // bases (a list resting twice on one list counts it twice).
  virtual uint64_t Weight() const { return 1; }

  // How many lists of any kind are in being: a test hook (cmake/TestHooks.cmake)
  // for the tests that show that lists are reclaimed (the soak test, the
  // fuzzers). Defined only in programs built with the hooks; the module keeps
  // no count.
  static uint32_t LiveCount();

 private:
  // The kind's own answers to the operations above, each called once its
  // dispatch is charged, never with a spent budget. Each charges the work of
  // its own beyond the dispatch, and reads other lists only through their
  // public operations.
  virtual int32_t LengthOf(WorkBudget& budget) = 0;
  virtual Element ElementOf(uint32_t index, WorkBudget& budget) = 0;
  // By default ElementNumber of the element, a text's reading charged.
  virtual double NumberOf(uint32_t index, WorkBudget& budget) {
    return ElementNumber(ElementOf(index, budget), budget);
  }
  virtual std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) = 0;

  // The kind's own Version, called once the query is charged: a count of its
  // own changes plus the versions of the lists that it rests on (asked through
  // Version). The default, 0, is only for a list that never changes and rests
  // on no other: every other kind overrides it.
  virtual uint64_t VersionOf(WorkBudget&) { return 0; }
};

using ListPtr = std::shared_ptr<List>;

// Reading a list recurses once for each list that it rests on. Lists that would
// rest on more than this many are not built, so that reading one never exhausts
// the host's stack (its main thread may have as little as 1 MB).
constexpr uint32_t kMaxListDepth = 256;

// Lists that would weigh more than this are not built, so that one read never
// makes more list reads than this (lists built each twice on the one before
// would double the work at every step), "Length(" included.
constexpr uint64_t kMaxListWeight = 65536;

// The weight of a list resting on lists of these weights, held below 2^62 so
// that it never wraps.
inline uint64_t WeightOn(uint64_t base) { return base < (uint64_t{1} << 62) ? 1 + base : base; }
inline uint64_t WeightOn(uint64_t first, uint64_t second) {
  return WeightOn(first < (uint64_t{1} << 62) - second ? first + second : uint64_t{1} << 62);
}

}  // namespace tallyra

#endif  // TALLYRA_LISTS_LIST_H_

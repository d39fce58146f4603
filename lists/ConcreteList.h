// ConcreteList: a list whose elements are stored, in index order. It grows only
// by appending; elements are never removed, replaced or reordered. Appending is
// amortised O(1), and an append that cannot get memory leaves the list as it was.
#ifndef TALLYRA_LISTS_CONCRETELIST_H_
#define TALLYRA_LISTS_CONCRETELIST_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "lists/List.h"

class ConcreteList final : public List {
 public:
  // The longest list that can be built (33,554,432 elements). Past it an
  // append fails at once rather than after filling the host's address space.
  static constexpr uint32_t kMaxLength = 1u << 25;
  // The most that MakeConcreteCopy copies within one call, counted as
  // kCopyBytesPerElement for each element and the bytes of its text: at most
  // 1,048,576 elements, fewer when they hold texts.
  static constexpr uint64_t kMaxCopyBytes = uint64_t{16} << 20;
  static constexpr uint64_t kCopyBytesPerElement = 16;

  ConcreteList() = default;

  int32_t Length() override { return static_cast<int32_t>(elements_.size()); }
  Element ElementAt(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ToConcrete(WorkBudget& budget) override;  // the list itself

  // Each appends one element at the end; each throws std::length_error at
  // kMaxLength and std::bad_alloc when memory runs out, the list unchanged.
  void AppendText(std::string_view text);
  void AppendNumber(double value);
  void AppendElement(const Element& element);
  void AppendElement(Element&& element);

  // Reserves room for this many elements in all (a hint; never shrinks).
  void Reserve(uint32_t count);

  // The stored element, without a copy; index must be below Length(). Not
  // charged: a reader that reads in place charges ReadCost() itself.
  const Element& StoredAt(uint32_t index) const { return elements_[index]; }

  // The stored element at index, without a copy, its read charged (ReadCost);
  // null past the end (one stored read charged) and when the budget is spent.
  const Element* ReadAt(uint32_t index, WorkBudget& budget) const {
    if (index >= elements_.size()) {
      budget.Charge(work_cost::kStoredRead);
      return nullptr;
    }
    const Element& element = elements_[index];
    return budget.Charge(ReadCost(element)) ? &element : nullptr;
  }

  // What reading a stored element costs.
  static uint64_t ReadCost(const Element& element) {
    if (element.kind != kElementText) return work_cost::kStoredRead;
    return work_cost::kStoredRead + work_cost::kTextCopy +
           work_cost::TextBytes(element.text.size());
  }

 private:
  std::vector<Element> elements_;
};

static_assert(uint64_t{ConcreteList::kMaxLength} * work_cost::kStoredSum <= WorkBudget::kPerCall,
              "the longest list that can be held sums within one call's budget");

// list itself when it is a ConcreteList, else null. ConcreteList is final, so
// its dynamic type tells, without the search of a dynamic_cast.
inline ConcreteList* AsConcreteList(List* list) {
  if (list == nullptr || typeid(*list) != typeid(ConcreteList)) return nullptr;
  return static_cast<ConcreteList*>(list);
}

// A new concrete list holding list's elements 0 .. Length()-1, read in index
// order; empty when Length() is 0 or less. The caller owns the result. Throws
// std::length_error when the copy would pass ConcreteList::kMaxCopyBytes
// (before reading, when the length alone does), and when the budget runs out
// while reading (the copy would be incomplete).
std::shared_ptr<ConcreteList> MakeConcreteCopy(List& list, WorkBudget& budget);

#endif  // TALLYRA_LISTS_CONCRETELIST_H_

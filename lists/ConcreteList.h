// ConcreteList: a list whose elements are stored, in index order. It grows only
// by appending; elements are never removed, replaced or reordered. Appending is
// amortised O(1), and an append that cannot get memory leaves the list as it was.
//
// The elements are kept in blocks of kBlockLength elements each, reached
// through a table of block pointers: reading is O(1), and one append allocates
// at most one block (64 KB on 64-bit machines), plus now and then the table's
// growth (a pointer a block: 64 KB for the longest list). The list owns its
// blocks and frees them, with their elements, when it goes.
#ifndef TALLYRA_LISTS_CONCRETELIST_H_
#define TALLYRA_LISTS_CONCRETELIST_H_

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "lists/List.h"

namespace tallyra {

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
  // Adds to a copy's `bytes` what `elements` more elements holding
  // `text_bytes` bytes of text count; false once they pass kMaxCopyBytes.
  // The one count of every copy's size (the copies, the List objects').
  static bool CountCopyBytes(uint64_t& bytes, uint64_t elements, uint64_t text_bytes) {
    const uint64_t added = elements * kCopyBytesPerElement + text_bytes;  // no wrap: both bounded
    bytes =
        added <= kMaxCopyBytes - std::min(bytes, kMaxCopyBytes) ? bytes + added : kMaxCopyBytes + 1;
    return bytes <= kMaxCopyBytes;
  }

  // Elements a block: 4,096 (a power of two).
  static constexpr uint32_t kBlockShift = 12;
  static constexpr uint32_t kBlockLength = 1u << kBlockShift;

  ConcreteList() = default;
  ~ConcreteList() override;

  // The number of stored elements, without a charge: what the list holds is
  // its own to know (a reader of its elements charges them).
  int32_t length() const { return static_cast<int32_t>(length_); }

  // Each appends one element at the end; each throws std::length_error at
  // kMaxLength and std::bad_alloc when memory runs out, the list unchanged.
  void AppendText(std::string_view text);
  void AppendNumber(double value) { Fill(Room(), Element::Number(value)); }
  void AppendElement(const Element& element);
  void AppendElement(Element&& element);
  // Appends all of elements, in order, or none: throws as one append does,
  // the list then as it was.
  void AppendAll(std::vector<Element>&& elements);

  // Reserves room in the block table for this many elements in all (a hint;
  // never shrinks). The blocks themselves are allocated as they fill.
  void Reserve(uint32_t count);

  // The stored element, without a copy; index must be below length(). Not
  // charged: a reader that reads in place charges ReadCost() itself.
  const Element& StoredAt(uint32_t index) const {
    return blocks_[index >> kBlockShift]->elements()[index & (kBlockLength - 1)];
  }

  // Calls visit(const Element* first, uint32_t count) for each run of stored
  // elements that lie one after another in memory, in index order, from
  // index `from` up to `to` (at most length()); an empty range visits nothing.
  // Stops when visit answers false, and answers whether it went to the end.
  // The quick way for a reader that reads a long stretch in place.
  template <typename Visit>
  bool ForEachRun(uint32_t from, uint32_t to, Visit&& visit) const {
    if (to > length_) to = length_;
    while (from < to) {
      const uint32_t offset = from & (kBlockLength - 1);
      uint32_t count = kBlockLength - offset;
      if (count > to - from) count = to - from;
      if (!visit(blocks_[from >> kBlockShift]->elements() + offset, count)) return false;
      from += count;
    }
    return true;
  }

  // The stored element at index, without a copy, its read charged (ReadCost);
  // null past the end (one stored read charged) and when the budget is spent.
  const Element* ReadAt(uint32_t index, WorkBudget& budget) const {
    return ReadPaid(index, 0, budget);
  }

  // What reading a stored element costs.
  static uint64_t ReadCost(const Element& element) {
    if (element.kind() != kElementText) return work_cost::kStoredRead;
    return work_cost::kStoredRead + work_cost::kTextCopy +
           work_cost::TextBytes(element.text().size());
  }

 private:
  // Only appending changes a stored list, and each append adds one.
  uint64_t VersionOf(WorkBudget&) override { return length_; }

  // ReadAt, of whose cost `paid` units are charged already (at most kStoredRead).
  const Element* ReadPaid(uint32_t index, uint64_t paid, WorkBudget& budget) const {
    if (index >= length_) {
      budget.Charge(work_cost::kStoredRead - paid);
      return nullptr;
    }
    const Element& element = StoredAt(index);
    return budget.Charge(ReadCost(element) - paid) ? &element : nullptr;
  }

  int32_t LengthOf(WorkBudget&) override { return length(); }
  // The stored element's copy, its read charged (ReadCost, of which the
  // dispatch paid work_cost::kListRead).
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  // Read in place: the same number at the same charge as the copy's.
  double NumberOf(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget& budget) override;  // the list itself

  // A block: this header, then room for kBlockLength elements, of which the
  // first `filled` are constructed (the header's size keeps them aligned).
  struct alignas(Element) Block {
    uint32_t filled;
    Element* elements() { return reinterpret_cast<Element*>(this + 1); }
    const Element* elements() const { return reinterpret_cast<const Element*>(this + 1); }
  };

  // A new empty block; throws std::bad_alloc.
  static Block* NewBlock();
  // Frees a block and the elements that it holds.
  static void Free(Block* block) noexcept;
  // Room in the table for one more block; throws std::bad_alloc, the list unchanged.
  void MakeTableRoom();
  // The block that takes the element at index length_, with room for it: the
  // last block, else a new one (NewRoom). Throws std::length_error at
  // kMaxLength, std::bad_alloc, the list unchanged.
  Block& Room() {
    if ((length_ & (kBlockLength - 1)) != 0) return *blocks_.back();  // not 0: below kMaxLength
    return NewRoom();
  }
  Block& NewRoom();
  // Takes the last `count` elements off again (the appends of AppendAll that
  // failed part way).
  void Unappend(uint32_t count) noexcept;
  // Puts the element at index length_ into last (from Room()).
  void Fill(Block& last, Element&& element) noexcept {
    new (last.elements() + last.filled) Element(std::move(element));
    ++last.filled;
    ++length_;
  }

  std::vector<Block*> blocks_;  // owned
  uint32_t length_ = 0;
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

}  // namespace tallyra

#endif  // TALLYRA_LISTS_CONCRETELIST_H_

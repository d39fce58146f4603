// PrimeList: the unbounded list of the primes in increasing order (element 0 is
// 2). Each instance has one, under three names. It reads the module's one
// PrimeTable, which it shares with every other PrimeList (it holds one owner
// of it) and which grows when an index past what it holds is asked for.
//
// Past the last prime below 2^32 (index 203,280,220) every element is the None
// element: the list never wraps around.
//
// Each list keeps its own window: a copy of the decoded primes of one block of
// the table, so that reading in index order (either way) costs little more
// than reading an array. The window is a copy: growth by any list never
// changes it.
//
// Growing never throws: when memory runs short the read answers 0 (None) and
// the table stays as it was. Not thread-safe.
#ifndef TALLYRA_LISTS_PRIMELIST_H_
#define TALLYRA_LISTS_PRIMELIST_H_

#include <cstdint>
#include <memory>

#include "lists/List.h"
#include "lists/PrimeTable.h"

namespace tallyra {

class PrimeList final : public List {
 public:
  // The index of 4294967291, the last prime below 2^32.
  static constexpr uint32_t kLastIndex = PrimeTable::kLastIndex;
  // The list starts with the primes below 256 (indices 0 to 53).
  static constexpr uint32_t kStartCount = 54;

  PrimeList();
  ~PrimeList() override;

  // The prime at index (0 past kLastIndex, or when memory for growing the table
  // cannot be had, the table then unchanged), growing the table as needed.
  uint32_t PrimeAt(uint32_t index) {
    const uint32_t k = index - window_first_;
    if (k < window_count_) return window_[k];
    return PrimeAtSlow(index, k);
  }

  // Grows the shared table until it holds every prime below 2^32 (work done
  // once, before what is to be timed or charged); false when memory is short.
  bool CoverAll() { return table_->CoverAll(); }

  // How many primes are known without further growth (not all before the
  // furthest: a far read codes only the stretch around it).
  uint64_t KnownCount() const;

  // Bytes held by the shared table of primes (for the memory goals).
  uint64_t MemoryBytes() const { return table_->MemoryBytes(); }

 private:
  int32_t LengthOf(WorkBudget&) override { return -1; }
  // Charges what the read costs: work_cost::kPrimeRead from the window,
  // kPrimeDecode where the window is refilled (the next read in index order
  // past it), kPrimeSeek elsewhere. Growing the table is not charged (it
  // happens at most once for each prime below 2^32 in the module).
  Element ElementOf(uint32_t index, WorkBudget& budget) override;
  std::shared_ptr<ConcreteList> ConcreteOf(WorkBudget&) override { return nullptr; }

  // Outside the window; k = index - window_first_.
  uint32_t PrimeAtSlow(uint32_t index, uint32_t k);
  uint32_t PrimeAtNear(uint32_t index);  // what the table may not hold
  uint32_t Refill(uint32_t index);       // decodes the window anew
  uint64_t ReadCost(uint32_t index) const;
  // Whether index is one past either end of the window (or in it).
  bool NextToWindow(uint32_t index) const { return NextToWindowAt(index - window_first_); }
  bool NextToWindowAt(uint32_t k) const { return k + 2 <= window_count_ + 2; }
  uint32_t PrimeAtRare(uint32_t index);  // the first primes, past the end, or growth
  void WindowAtStart();

  std::shared_ptr<PrimeTable> table_;
  // Decoded primes for indices window_first_ .. window_first_ + window_count_ - 1.
  uint32_t window_first_ = 0;
  uint32_t window_count_ = 0;
  uint32_t window_[PrimeTable::kDecodedMost];
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_PRIMELIST_H_

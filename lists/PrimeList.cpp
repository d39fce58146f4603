#include "lists/PrimeList.h"

#include <algorithm>
#include <iterator>

namespace tallyra {

namespace {

// The primes below 256, which the window starts with.
constexpr uint8_t kSmallPrimes[PrimeList::kStartCount] = {
    2,   3,   5,   7,   11,  13,  17,  19,  23,  29,  31,  37,  41,  43,  47,  53,  59,  61,
    67,  71,  73,  79,  83,  89,  97,  101, 103, 107, 109, 113, 127, 131, 137, 139, 149, 151,
    157, 163, 167, 173, 179, 181, 191, 193, 197, 199, 211, 223, 227, 229, 233, 239, 241, 251};
static_assert(PrimeList::kStartCount <= PrimeTable::kBlockPrimes, "the window holds them");

}  // namespace

PrimeList::PrimeList() : table_(PrimeTable::Shared()) { WindowAtStart(); }

PrimeList::~PrimeList() = default;

void PrimeList::WindowAtStart() {
  std::copy(std::begin(kSmallPrimes), std::end(kSmallPrimes), window_);
  window_first_ = 0;
  window_count_ = kStartCount;
}

uint32_t PrimeList::PrimeAtSlow(uint32_t index, uint32_t k) {
  // Reads of what the table surely holds (the way of reads at random and in
  // index order) first and lean. Away from the window the table is read in
  // place, and the window left empty right after the index, so that reading
  // on from here in either direction decodes.
  if (index >= kStartCount && table_->HeldFromStart(index)) {
    if (NextToWindowAt(k)) return Refill(index);
    window_first_ = index + 1;
    window_count_ = 0;
    return table_->PrimeAt(index);
  }
  return PrimeAtNear(index);
}

// Next to the window (index order, either way): decodes the block of a held
// index, for the reads around it. Kept out of PrimeAtSlow, so that reads
// elsewhere need no frame.
__attribute__((noinline)) uint32_t PrimeList::Refill(uint32_t index) {
  window_count_ = table_->DecodeBlock(index, window_, &window_first_);
  return window_[index - window_first_];
}

// Kept out of PrimeAtSlow, so that reads elsewhere stay lean.
__attribute__((noinline)) uint32_t PrimeList::PrimeAtNear(uint32_t index) {
  if (index < kStartCount || !table_->Holds(index)) return PrimeAtRare(index);
  if (NextToWindow(index)) return Refill(index);
  // Elsewhere: read the table in place, and leave an empty window right after
  // the index, so that reading on from here in either direction decodes.
  window_first_ = index + 1;
  window_count_ = 0;
  return table_->PrimeAt(index);
}

// Kept out of PrimeAtNear, so that reads of covered primes stay lean.
__attribute__((noinline)) uint32_t PrimeList::PrimeAtRare(uint32_t index) {
  if (index > kLastIndex) return 0;
  if (index < kStartCount) {
    WindowAtStart();
    return kSmallPrimes[index];
  }
  if (!table_->Cover(index)) return 0;  // out of memory: the table keeps what it had
  return PrimeAtNear(index);
}

uint64_t PrimeList::ReadCost(uint32_t index) const {
  if (index - window_first_ < window_count_ || index > kLastIndex) return work_cost::kPrimeRead;
  if (index < kStartCount || NextToWindow(index)) return work_cost::kPrimeDecode;
  return work_cost::kPrimeSeek;
}

Element PrimeList::ElementOf(uint32_t index, WorkBudget& budget) {
  static_assert(work_cost::kListRead <= work_cost::kPrimeRead, "a prime's read pays its dispatch");
  if (!budget.Charge(ReadCost(index) - work_cost::kListRead)) return Element::None();
  const uint32_t prime = PrimeAt(index);
  if (prime == 0) return Element::None();
  return Element::Number(static_cast<double>(prime));
}

uint64_t PrimeList::KnownCount() const {
  return std::max<uint64_t>(kStartCount, table_->HeldCount());
}

}  // namespace tallyra

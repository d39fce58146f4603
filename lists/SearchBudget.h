// SearchBudget: a bound on the open-ended work that one call from the host may
// do. A filtered list searching an unbounded base for elements that may never
// come draws the positions it tests from the budget of the call in progress;
// when it is spent, searches give up at once and the elements asked for read
// as None. The routine entries open one Scope per call from the host, so no
// sequence of reads in one call (an "asString$(" of a filter that nothing
// passes, say) can keep the host waiting.
#ifndef TALLYRA_LISTS_SEARCHBUDGET_H_
#define TALLYRA_LISTS_SEARCHBUDGET_H_

#include <cstdint>

class SearchBudget {
 public:
  // Positions that one call from the host may test in all.
  static constexpr uint64_t kPerCall = uint64_t{1} << 24;

  // Opens a budget of `allowance` for the calls made while it lives. Scopes do
  // not nest: an inner one leaves the outer budget in force.
  class Scope {
   public:
    explicit Scope(uint64_t allowance = kPerCall);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    bool opened_;
  };

  // How many of `wanted` tests may be made now (all of them when no scope is
  // open); the answer is drawn from the budget.
  static uint64_t Draw(uint64_t wanted);

  // Whether, in the scope open now, some draw got less than it wanted: work
  // was cut short, and what was read since may be incomplete. Always false
  // when no scope is open.
  static bool Spent();
};

#endif  // TALLYRA_LISTS_SEARCHBUDGET_H_

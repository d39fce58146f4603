// SearchBudget: a bound on the open-ended work that one call from the host may
// do. Every read of a list that computes its elements or picks them from
// another list draws one step from the budget of the call in progress, and a
// filtered list one for each position that it tests; once the budget is spent
// such reads answer None at once. The routine entries open one Scope per call
// from the host, so no sequence of reads in one call (an "asString$(" of a
// filter that nothing passes, a "ListSum(" of a long list whose every element
// takes hundreds of reads) can keep the host waiting.
//
// A read that ran out may have answered something else than None (a mapped
// list maps the None of its base), so what is read after Spent() turns true
// is not to be trusted: readers that gather many elements (the text form, the
// sum, copies) stop there and answer that they were cut short.
#ifndef TALLYRA_LISTS_SEARCHBUDGET_H_
#define TALLYRA_LISTS_SEARCHBUDGET_H_

#include <cstdint>

class SearchBudget {
 public:
  // Steps that one call from the host may take in all (some 0.1 s of reads).
  static constexpr uint64_t kPerCall = uint64_t{1} << 22;

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

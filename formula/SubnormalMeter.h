// SubnormalMeter: what the formula evaluations of this module owe for having
// met subnormal numbers, as operands or as inexact results: work that
// processors do in microcode, many times slower than the rest. It reads the
// processor's sticky status flags for them (the denormal-operand and
// underflow flags, the same bits in SSE's MXCSR and in the x87 status word;
// the underflow flag of <cfenv> where there is no x86 unit) and changes no
// result: nothing is flushed to zero.
//
// Reading the flags costs as much as a small evaluation on some machines, so
// they are read once every kBatch evaluations: when set, every evaluation
// since the last reading is taken to have met one, the flags are cleared
// (they are sticky; the host does not read them), and the surcharge is due at
// once. The host's own flags are not lost: each host call keeps them
// (HostFlagsKept), and sets again at its end those that were set at its start.
// An evaluation whose result is itself subnormal (an exact one, which
// raises no flag) owes its surcharge at once. What is owed by at most
// kBatch - 1 evaluations may so fall on the next call's budget: the bound on
// each call's work stays, and no answer changes.
//
// One meter for the module (the lists are read on one thread at a time).
#ifndef TALLYRA_FORMULA_SUBNORMALMETER_H_
#define TALLYRA_FORMULA_SUBNORMALMETER_H_

#include <cstdint>

namespace tallyra {

class SubnormalMeter {
 public:
  static constexpr uint32_t kBatch = 16;

  // Counts one evaluation of `cost` units whose value was `result` (0 when it
  // failed); answers the surcharge now due, in units, at `factor` times the
  // price of the evaluations that met a subnormal number.
  static uint64_t Count(uint64_t cost, double result, uint64_t factor);

  // Made by each host call for its length: notes which of the flags were set
  // when the call began, and sets them again when it ends, whatever the meter
  // cleared meanwhile. Flags raised during the call are left as they are.
  class HostFlagsKept {
   public:
    HostFlagsKept() noexcept;
    ~HostFlagsKept();
    HostFlagsKept(const HostFlagsKept&) = delete;
    HostFlagsKept& operator=(const HostFlagsKept&) = delete;

   private:
    uint32_t set_;  // the flags set at the call's start
  };

  // Whether the flags show a subnormal number met since they were last
  // cleared; clears them. For the tests.
  static bool TakeFlags();
  // Nothing pending, the flags cleared: a batch starts. For the tests.
  static void StartAfresh() {
    TakeFlags();
    pending_ = 0;
    count_ = 0;
  }

 private:
  static uint64_t pending_;  // the cost of the evaluations since the last reading
  static uint32_t count_;    // and how many they are
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_SUBNORMALMETER_H_

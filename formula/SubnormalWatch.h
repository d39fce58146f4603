// SubnormalWatch: whether the floating-point work done while it watches met a
// subnormal number, as an operand or as an inexact result: the two kinds of
// work that processors do in microcode, many times slower than the rest. It
// reads the processor's sticky status flags for them (the denormal-operand
// and underflow flags, the same bits in SSE's MXCSR and in the x87 status
// word; the underflow flag alone where there is no x86 unit) and changes no
// result: nothing is flushed to zero.
//
// The flags belong to the thread, and so to the host: the watch leaves them
// as it found them. While they are clear, which is the usual case, watching
// costs a read of them at each end; set ones are cleared for the watch and set
// again after it. One watch lives on the stack of one evaluation.
#ifndef TALLYRA_FORMULA_SUBNORMALWATCH_H_
#define TALLYRA_FORMULA_SUBNORMALWATCH_H_

#include <cstdint>

namespace tallyra {

class SubnormalWatch {
 public:
  SubnormalWatch() noexcept;
  SubnormalWatch(const SubnormalWatch&) = delete;
  SubnormalWatch& operator=(const SubnormalWatch&) = delete;
  ~SubnormalWatch();

  // Whether the work since construction met a subnormal number. Once only:
  // the flags are as they were found again afterwards.
  bool Met() noexcept;

  // Whether a value itself is subnormal (a result that is exact, which
  // raises no flag).
  static bool IsSubnormal(double value);

 private:
  uint32_t x87_before_ = 0;  // the two flags as found, in each unit
  uint32_t sse_before_ = 0;
  bool done_ = false;
};

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_SUBNORMALWATCH_H_

#include "formula/SubnormalMeter.h"

#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#define TALLYRA_X86_FLAGS 1
#if defined(__SSE2__)
#include <xmmintrin.h>
#endif
#else
#include <cfenv>
#endif

namespace tallyra {

namespace {

#if TALLYRA_X86_FLAGS

// The denormal-operand (bit 1) and underflow (bit 4) flags.
constexpr uint32_t kFlags = 0x12;

#if defined(__SSE2__)
// Doubles are worked out by SSE: its flags only.
bool TakeUnitFlags() {
  const uint32_t status = _mm_getcsr();
  if ((status & kFlags) == 0) return false;
  _mm_setcsr(status & ~kFlags);
  return true;
}
#else
// Doubles are worked out by the x87 unit.
bool TakeUnitFlags() {
  uint16_t status;
  asm volatile("fnstsw %0" : "=am"(status));
  if ((status & kFlags) == 0) return false;
  struct {
    uint32_t control, status, rest[5];
  } environment;
  asm volatile("fnstenv %0" : "=m"(environment));
  environment.status &= ~kFlags;
  asm volatile("fldenv %0" : : "m"(environment));
  return true;
}
#endif

#else  // no x86 unit: the underflow flag

bool TakeUnitFlags() {
  if (std::fetestexcept(FE_UNDERFLOW) == 0) return false;
  std::feclearexcept(FE_UNDERFLOW);
  return true;
}

#endif

}  // namespace

uint64_t SubnormalMeter::pending_ = 0;
uint32_t SubnormalMeter::count_ = 0;

bool SubnormalMeter::TakeFlags() { return TakeUnitFlags(); }

uint64_t SubnormalMeter::Count(uint64_t cost, double result, uint64_t factor) {
  uint64_t due = std::fpclassify(result) == FP_SUBNORMAL ? cost * (factor - 1) : 0;
  pending_ += cost;
  if (++count_ < kBatch) return due;
  if (TakeUnitFlags()) due += pending_ * (factor - 1);
  pending_ = 0;
  count_ = 0;
  return due;
}

}  // namespace tallyra

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
uint32_t UnitFlags() { return _mm_getcsr() & kFlags; }

bool TakeUnitFlags() {
  const uint32_t status = _mm_getcsr();
  if ((status & kFlags) == 0) return false;
  _mm_setcsr(status & ~kFlags);
  return true;
}

void SetUnitFlags(uint32_t flags) { _mm_setcsr(_mm_getcsr() | flags); }
#else
// Doubles are worked out by the x87 unit.
struct X87Environment {
  uint32_t control, status, rest[5];
};

uint32_t UnitFlags() {
  uint16_t status;
  asm volatile("fnstsw %0" : "=am"(status));
  return status & kFlags;
}

bool TakeUnitFlags() {
  if (UnitFlags() == 0) return false;
  X87Environment environment;
  asm volatile("fnstenv %0" : "=m"(environment));
  environment.status &= ~kFlags;
  asm volatile("fldenv %0" : : "m"(environment));
  return true;
}

void SetUnitFlags(uint32_t flags) {
  X87Environment environment;
  asm volatile("fnstenv %0" : "=m"(environment));
  environment.status |= flags;
  asm volatile("fldenv %0" : : "m"(environment));
}
#endif

#else  // no x86 unit: the underflow flag

uint32_t UnitFlags() { return std::fetestexcept(FE_UNDERFLOW) != 0 ? 1 : 0; }

bool TakeUnitFlags() {
  if (std::fetestexcept(FE_UNDERFLOW) == 0) return false;
  std::feclearexcept(FE_UNDERFLOW);
  return true;
}

// Underflow traps are off, as they are by default.
void SetUnitFlags(uint32_t) { std::feraiseexcept(FE_UNDERFLOW); }

#endif

}  // namespace

uint64_t SubnormalMeter::pending_ = 0;
uint32_t SubnormalMeter::count_ = 0;

SubnormalMeter::HostFlagsKept::HostFlagsKept() noexcept : set_(UnitFlags()) {}

SubnormalMeter::HostFlagsKept::~HostFlagsKept() {
  if (set_ != 0) SetUnitFlags(set_);
}

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

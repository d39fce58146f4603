#include "formula/SubnormalWatch.h"

#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#define TALLYRA_X86_FLAGS 1
#if defined(__SSE__)
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

uint32_t ReadX87() {
  uint16_t status;
  asm volatile("fnstsw %0" : "=am"(status));
  return status & kFlags;
}

// Sets the two flags of the x87 unit to `flags`, the rest as they are.
void WriteX87(uint32_t flags) {
  struct {
    uint32_t control, status, rest[5];
  } environment;
  asm volatile("fnstenv %0" : "=m"(environment));
  environment.status = (environment.status & ~kFlags) | flags;
  asm volatile("fldenv %0" : : "m"(environment));
}

#if defined(__SSE__)
uint32_t ReadSse() { return _mm_getcsr() & kFlags; }
void WriteSse(uint32_t flags) { _mm_setcsr((_mm_getcsr() & ~kFlags) | flags); }
#else
uint32_t ReadSse() { return 0; }
void WriteSse(uint32_t) {}
#endif

#else  // no x86 unit: the underflow flag of <cfenv>

constexpr uint32_t kFlags = 1;
uint32_t ReadX87() { return std::fetestexcept(FE_UNDERFLOW) != 0 ? kFlags : 0; }
void WriteX87(uint32_t flags) {
  if (flags != 0) {
    std::feraiseexcept(FE_UNDERFLOW);
  } else {
    std::feclearexcept(FE_UNDERFLOW);
  }
}
uint32_t ReadSse() { return 0; }
void WriteSse(uint32_t) {}

#endif

}  // namespace

SubnormalWatch::SubnormalWatch() noexcept : x87_before_(ReadX87()), sse_before_(ReadSse()) {
  if (x87_before_ != 0) WriteX87(0);
  if (sse_before_ != 0) WriteSse(0);
}

SubnormalWatch::~SubnormalWatch() {
  if (!done_) Met();
}

bool SubnormalWatch::Met() noexcept {
  if (done_) return false;
  done_ = true;
  const uint32_t x87 = ReadX87();
  const uint32_t sse = ReadSse();
  if (x87 != x87_before_) WriteX87(x87_before_);
  if (sse != sse_before_) WriteSse(sse_before_);
  return (x87 | sse) != 0;
}

bool SubnormalWatch::IsSubnormal(double value) { return std::fpclassify(value) == FP_SUBNORMAL; }

}  // namespace tallyra

#include "lists/SearchBudget.h"

#include <algorithm>

namespace {
bool open = false;
uint64_t remaining = 0;
}  // namespace

SearchBudget::Scope::Scope(uint64_t allowance) : opened_(!open) {
  if (opened_) {
    open = true;
    remaining = allowance;
  }
}

SearchBudget::Scope::~Scope() {
  if (opened_) open = false;
}

uint64_t SearchBudget::Draw(uint64_t wanted) {
  if (!open) return wanted;
  const uint64_t granted = std::min(wanted, remaining);
  remaining -= granted;
  return granted;
}

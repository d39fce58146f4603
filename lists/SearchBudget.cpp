#include "lists/SearchBudget.h"

#include <algorithm>

namespace {
bool open = false;
bool spent = false;
uint64_t remaining = 0;
}  // namespace

SearchBudget::Scope::Scope(uint64_t allowance) : opened_(!open) {
  if (opened_) {
    open = true;
    spent = false;
    remaining = allowance;
  }
}

SearchBudget::Scope::~Scope() {
  if (opened_) {
    open = false;
    spent = false;
  }
}

uint64_t SearchBudget::Draw(uint64_t wanted) {
  if (!open) return wanted;
  const uint64_t granted = std::min(wanted, remaining);
  remaining -= granted;
  if (granted < wanted) spent = true;
  return granted;
}

bool SearchBudget::Spent() { return spent; }

// A budget that never runs out, for tests that read lists outside any host
// call and are not about the budget.
#ifndef TALLYRA_LISTS_TESTING_UNLIMITEDBUDGET_H_
#define TALLYRA_LISTS_TESTING_UNLIMITEDBUDGET_H_

#include <cstdint>

#include "lists/WorkBudget.h"

namespace tallyra {

inline WorkBudget& UnlimitedBudget() {
  static WorkBudget budget(UINT64_MAX);
  return budget;
}

}  // namespace tallyra

#endif  // TALLYRA_LISTS_TESTING_UNLIMITEDBUDGET_H_

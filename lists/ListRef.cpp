#include "lists/ListRef.h"

#include <vector>

namespace tallyra {

namespace {
// The lists waiting to be released while an outer release is in progress.
thread_local std::vector<ListPtr>* pending = nullptr;
}  // namespace

void ReleaseList(ListPtr list) noexcept {
  if (!list) return;
  if (pending != nullptr) {
    if (list.use_count() > 1) return;  // not the last reference: nothing is destroyed
    try {
      pending->push_back(std::move(list));
      return;
    } catch (...) {
      // No room to defer: release here, one level deeper.
    }
    list.reset();
    return;
  }
  std::vector<ListPtr> queue;
  pending = &queue;
  list.reset();  // may destroy lists whose bases land in the queue
  while (!queue.empty()) {
    ListPtr next = std::move(queue.back());
    queue.pop_back();
    next.reset();
  }
  pending = nullptr;
}

}  // namespace tallyra

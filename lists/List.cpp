#include "lists/List.h"

#ifdef TALLYRA_TEST_HOOKS
#include <atomic>
#endif

namespace tallyra {

#ifdef TALLYRA_TEST_HOOKS

namespace {
std::atomic<uint32_t> lists_in_being_for_testing{0};
}  // namespace

List::List() noexcept { lists_in_being_for_testing.fetch_add(1, std::memory_order_relaxed); }
List::~List() { lists_in_being_for_testing.fetch_sub(1, std::memory_order_relaxed); }
uint32_t List::LiveCount() { return lists_in_being_for_testing.load(std::memory_order_relaxed); }

#else

List::List() noexcept = default;
List::~List() = default;

#endif

}  // namespace tallyra

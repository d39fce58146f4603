// Appending to a set: the actions that add elements go into the set's concrete
// form, and rebind the name to it when that is a new copy.
//
// A set whose list has no concrete form (the primes, formula, subsequence and
// filtered lists, unbounded mapped lists) refuses to be appended to, with a
// box; so does one whose concrete form cannot be made or grown (too long to
// copy, the longest list reached, no memory). Either way every name stays
// bound to the list it had.
#ifndef TALLYRA_RUNTIME_APPENDING_H_
#define TALLYRA_RUNTIME_APPENDING_H_

#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "lists/ConcreteList.h"
#include "lists/ListRef.h"
#include "runtime/HostPort.h"
#include "runtime/SetStore.h"

namespace tallyra {

// The concrete form of the list bound to setName: the list itself when it is
// concrete, else a new copy. Null, after a box that names the set, when there
// is none or it cannot be made.
std::shared_ptr<ConcreteList> ConcreteFormForAppending(const ListRef& bound,
                                                       const std::string& set_name,
                                                       WorkBudget& budget, HostPort& host);

// Shows the box for a set whose concrete form cannot take more elements.
void ShowSetTooLargeBox(const std::string& set_name, HostPort& host);

// Looks setName up (creating it), appends one element to its concrete form
// with append(ConcreteList&) and then binds the name to that form (a copy of a
// virtual list is charged to the budget). When the
// append fails for lack of room (std::length_error, std::bad_alloc), shows
// the box and leaves the binding as it was; so it does, and appends nothing,
// when the call's budget is spent already (a text parameter that it could not
// pay for came back empty). A concrete list is appended to in
// place, without a reference taken to it (the name's own keeps it alive).
template <typename Append>
void AppendToSet(SetStore& store, const std::string& set_name, WorkBudget& budget, HostPort& host,
                 Append append) {
  if (budget.Spent()) {
    ShowSetTooLargeBox(set_name, host);
    return;
  }
  ListRef* slot = store.LookUpSet(set_name, /*create=*/true);
  ConcreteList* target = AsConcreteList(slot->get());
  std::shared_ptr<ConcreteList> copy;  // the new concrete form of a virtual list
  if (target == nullptr) {
    copy = ConcreteFormForAppending(*slot, set_name, budget, host);
    if (!copy) return;
    target = copy.get();
  }
  try {
    append(*target);
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(set_name, host);
    return;
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(set_name, host);
    return;
  }
  if (copy && copy.get() != slot->get()) *slot = ListRef(std::move(copy));
}

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_APPENDING_H_

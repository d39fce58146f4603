#include "runtime/Appending.h"

#include "runtime/ErrorBox.h"

namespace tallyra {

std::shared_ptr<ConcreteList> ConcreteFormForAppending(const ListRef& bound,
                                                       const std::string& set_name,
                                                       WorkBudget& budget, HostPort& host) {
  std::shared_ptr<ConcreteList> concrete;
  try {
    concrete = bound->ToConcrete(budget);
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(set_name, host);
    return nullptr;
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(set_name, host);
    return nullptr;
  }
  if (!concrete) host.ShowMessage(kListObjectErrorCaption, set_name + message_tail::kVirtualList);
  return concrete;
}

void ShowSetTooLargeBox(const std::string& set_name, HostPort& host) {
  host.ShowMessage(kListObjectErrorCaption, set_name + message_tail::kTooLarge);
}

}  // namespace tallyra

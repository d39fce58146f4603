#include "runtime/Appending.h"

#include "runtime/ErrorBox.h"

namespace tallyra {

std::shared_ptr<ConcreteList> ConcreteFormForAppending(const ListRef& bound,
                                                       const std::string& setName,
                                                       WorkBudget& budget, HostPort& host) {
  std::shared_ptr<ConcreteList> concrete;
  try {
    concrete = bound->ToConcrete(budget);
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(setName, host);
    return nullptr;
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(setName, host);
    return nullptr;
  }
  if (!concrete) host.ShowMessage(kListObjectErrorCaption, setName + message_tail::kVirtualList);
  return concrete;
}

void ShowSetTooLargeBox(const std::string& setName, HostPort& host) {
  host.ShowMessage(kListObjectErrorCaption, setName + message_tail::kTooLarge);
}

}  // namespace tallyra

#include "runtime/Appending.h"

#include "runtime/ErrorBox.h"

std::shared_ptr<ConcreteList> ConcreteFormForAppending(const ListRef& bound,
                                                       const std::string& setName) {
  std::shared_ptr<ConcreteList> concrete;
  try {
    concrete = bound->ToConcrete();
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(setName);
    return nullptr;
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(setName);
    return nullptr;
  }
  if (!concrete) ShowErrorBox(kListObjectErrorCaption, setName + message_tail::kVirtualList);
  return concrete;
}

void ShowSetTooLargeBox(const std::string& setName) {
  ShowErrorBox(kListObjectErrorCaption, setName + message_tail::kTooLarge);
}

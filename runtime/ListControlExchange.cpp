#include "runtime/ListControlExchange.h"

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lists/ConcreteList.h"
#include "runtime/Appending.h"
#include "runtime/ErrorBox.h"
#include "runtime/NumberText.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

namespace tallyra {

std::optional<ListObjectRef> FindHostListObject(const std::string& name, HostPort& host) {
  std::optional<ListObjectRef> found = host.FindListObject(name);
  if (!found) host.ShowMessage(kTallyraObjectErrorCaption, kMissingListObjectMessage);
  return found;
}

void ActionListObjectToSet(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const std::string object_name = host.NextText();
  // The set is created, or made concrete, even when the List object is missing.
  ListRef* slot = store.LookUpSet(set_name, /*create=*/true);
  std::shared_ptr<ConcreteList> concrete = ConcreteFormForAppending(*slot, set_name, budget, host);
  if (!concrete) return;
  if (concrete.get() != slot->get()) *slot = ListRef(concrete);

  const std::optional<ListObjectRef> object = FindHostListObject(object_name, host);
  if (!object) return;
  // All or nothing: the items are gathered apart, within the caps of a copy
  // and the call's budget, and appended once every one is in hand.
  const int32_t count = host.ListObjectItemCount(*object);
  try {
    uint64_t bytes = 0;
    if (count > 0 && !ConcreteList::CountCopyBytes(bytes, static_cast<uint32_t>(count), 0))
      throw std::length_error("too many items");
    std::vector<Element> items;
    items.reserve(count > 0 ? static_cast<uint32_t>(count) : 0);
    for (int32_t i = 0; i < count; ++i) {
      const std::string_view item = host.ListObjectItem(*object, i);
      if (!ConcreteList::CountCopyBytes(bytes, 0, item.size()) ||
          !budget.Charge(work_cost::kListItem + work_cost::NewTextBytes(item.size())))
        throw std::length_error("too many bytes or too long");
      items.push_back(Element::Text(item));
    }
    concrete->AppendAll(std::move(items));
  } catch (const std::length_error&) {
    ShowSetTooLargeBox(set_name, host);  // the set as it was
  } catch (const std::bad_alloc&) {
    ShowSetTooLargeBox(set_name, host);
  }
}

void ActionSetToListObject(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const std::string object_name = host.NextText();
  const int32_t maximum = host.NextInteger();
  if (maximum <= 0) host.ShowMessage(kTallyraObjectErrorCaption, kZeroMaximumMessage);
  const ListRef* set = store.LookUpSet(set_name, /*create=*/false);
  if (set == nullptr) return;  // nothing to copy, and no name is made for it
  const std::optional<ListObjectRef> object = FindHostListObject(object_name, host);
  if (!object) return;
  const ListRef list = *set;
  const int32_t length = list->Length(budget);
  int32_t count = length < maximum ? length : maximum;
  if (count == -1) count = maximum;  // an unbounded list gives exactly the maximum
  // No more than a list box takes in good time, no more bytes than a copy
  // may hold, and nothing that the call's budget cannot pay for.
  const int32_t wanted = count;
  if (count > kMaxListObjectItemsPerCall) count = kMaxListObjectItemsPerCall;
  uint64_t bytes = 0;
  int32_t added = 0;
  for (; added < count; ++added) {
    const Element element = list->ElementAt(static_cast<uint32_t>(added), budget);
    if (budget.Spent()) break;
    char digits[kNumberTextRoom];
    const std::string_view text = ElementTextIn(element, digits);
    if (!ConcreteList::CountCopyBytes(bytes, 1, text.size()) ||
        !budget.Charge(work_cost::kListItem + work_cost::NewTextBytes(text.size())))
      break;
    if (!host.AddListObjectItem(*object, std::string(text))) break;  // the object takes no more
  }
  if (added < wanted) {
    host.ShowMessage(kTallyraObjectErrorCaption, set_name + " is too large and so only its first " +
                                                     std::to_string(added) +
                                                     " elements were put into " + object_name);
  }
}

}  // namespace tallyra

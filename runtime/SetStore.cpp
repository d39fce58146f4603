#include "runtime/SetStore.h"

#include <memory>
#include <utility>

#include "lists/ConcreteList.h"

namespace tallyra {

ListRef* SetStore::LookUpSet(std::string_view name, bool create) {
  if (last_ != sets_.end() && last_->first == name) return &last_->second;
  auto found = sets_.find(name);
  if (found == sets_.end()) {
    if (!create) return nullptr;
    ListRef empty(std::make_shared<ConcreteList>());
    found = sets_.emplace(std::string(name), std::move(empty)).first;
  }
  last_ = found;
  return &found->second;
}

}  // namespace tallyra

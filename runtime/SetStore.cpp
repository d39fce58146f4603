#include "runtime/SetStore.h"

#include <memory>
#include <utility>

#include "lists/ConcreteList.h"

ListRef* SetStore::LookUpSet(std::string_view name, bool create) {
  auto found = sets_.find(name);
  if (found != sets_.end()) return &found->second;
  if (!create) return nullptr;
  ListRef empty(std::make_shared<ConcreteList>());
  auto added = sets_.emplace(std::string(name), std::move(empty));
  return &added.first->second;
}

// The actions that give a set name a new virtual list built on other sets, and
// the one that steps a k-subset.
//
// Every base is looked up before anything is built, so a destination that
// names one of its bases gets a list built on the base's former list. The new
// list is complete (constructed, formula set) before the destination name is
// looked up and bound: an action that ends early, with a box or by an
// exception, leaves the store as it was.
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "formula/FilteredList.h"
#include "formula/FormulaList.h"
#include "formula/MappedList.h"
#include "formula/MappedPairList.h"
#include "formula/SubsequenceList.h"
#include "lists/ConcreteList.h"
#include "lists/KSubsetList.h"
#include "runtime/ErrorBox.h"
#include "runtime/RoutineIo.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

namespace {

// The list bound to a base set, or null after the box that says it is missing.
const ListRef* FindBase(SetStore& store, const std::string& name, const char* missingTail) {
  const ListRef* base = store.LookUpSet(name, /*create=*/false);
  if (base == nullptr) ShowErrorBox(kListObjectErrorCaption, name + missingTail);
  return base;
}

void ShowTooDeepBox(const std::string& name) {
  ShowErrorBox(kListObjectErrorCaption, name + message_tail::kTooDeep);
}

// Whether a list may rest on base: false, after a box, when it would rest on
// more than kMaxListDepth lists one on another, or when one of its reads would
// make more than kMaxListWeight reads.
bool CanBuildOn(const ListRef& base, const std::string& name) {
  if (base->Depth() < kMaxListDepth && WeightOn(base->Weight()) <= kMaxListWeight) return true;
  ShowTooDeepBox(name);
  return false;
}

void Bind(SetStore& store, const std::string& destination, ListRef list) {
  *store.LookUpSet(destination, /*create=*/true) = std::move(list);
}

template <typename FormulaKind, typename... Bases>
void DefineByFormula(SetStore& store, const std::string& destination, const std::string& formula,
                     const Bases&... bases) {
  auto list = std::make_shared<FormulaKind>(bases...);
  list->SetFormula(formula);
  Bind(store, destination, std::move(list));
}

// Actions 7, 8 and 10: base name, formula, destination name.
template <typename FormulaKind>
void DefineOnOneBase(RunData& run, HostServices& host, const char* missingTail) {
  const std::string baseName = FetchText(host);
  const std::string formula = FetchText(host);
  const std::string destination = FetchText(host);
  SetStore& store = StoreOf(run);
  const ListRef* base = FindBase(store, baseName, missingTail);
  if (base == nullptr || !CanBuildOn(*base, baseName)) return;
  DefineByFormula<FormulaKind>(store, destination, formula, *base);
}

}  // namespace

void ActionFirstSubset(RunData& run, HostServices& host, WorkBudget&) {
  const std::string sourceName = FetchText(host);
  const int32_t k = FetchInteger(host);
  const std::string destination = FetchText(host);
  SetStore& store = StoreOf(run);
  const ListRef* source = FindBase(store, sourceName, message_tail::kFirstSubsetMissing);
  if (source == nullptr || !CanBuildOn(*source, sourceName)) return;
  if (k > static_cast<int32_t>(ConcreteList::kMaxLength)) {  // longer than any list can be
    ShowErrorBox(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  }
  std::shared_ptr<KSubsetList> subset;
  try {
    subset = std::make_shared<KSubsetList>(k, *source);
  } catch (const std::bad_alloc&) {
    ShowErrorBox(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  } catch (const std::length_error&) {
    ShowErrorBox(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  }
  Bind(store, destination, std::move(subset));
}

void ActionNextSubset(RunData& run, HostServices& host, WorkBudget&) {
  const std::string setName = FetchText(host);
  const ListRef* set = FindBase(StoreOf(run), setName, message_tail::kNextSubsetMissing);
  if (set == nullptr) return;
  auto* subset = dynamic_cast<KSubsetList*>(set->get());
  if (subset == nullptr) {
    ShowErrorBox(kListObjectErrorCaption, setName + message_tail::kNotKSubset);
    return;
  }
  subset->NextSubset();
}

void ActionDefineFormula(RunData& run, HostServices& host, WorkBudget&) {
  const std::string destination = FetchText(host);
  const std::string formula = FetchText(host);
  DefineByFormula<FormulaList>(StoreOf(run), destination, formula);
}

void ActionDefineMapped(RunData& run, HostServices& host, WorkBudget&) {
  DefineOnOneBase<MappedList>(run, host, message_tail::kMappedBaseMissing);
}

void ActionDefineSubsequence(RunData& run, HostServices& host, WorkBudget&) {
  DefineOnOneBase<SubsequenceList>(run, host, message_tail::kSubsequenceBaseMissing);
}

void ActionDefineMappedPair(RunData& run, HostServices& host, WorkBudget&) {
  const std::string firstName = FetchText(host);
  const std::string secondName = FetchText(host);
  const std::string formula = FetchText(host);
  const std::string destination = FetchText(host);
  SetStore& store = StoreOf(run);
  const ListRef* first = FindBase(store, firstName, message_tail::kMappedBaseMissing);
  if (first == nullptr) return;
  const ListRef* second = FindBase(store, secondName, message_tail::kMappedBaseMissing);
  if (second == nullptr) return;
  if (!CanBuildOn(*first, firstName) || !CanBuildOn(*second, secondName)) return;
  const uint64_t firstWeight = (*first)->Weight();
  const uint64_t secondWeight = (*second)->Weight();
  if (WeightOn(firstWeight, secondWeight) > kMaxListWeight) {  // the heavier one is named
    ShowTooDeepBox(firstWeight >= secondWeight ? firstName : secondName);
    return;
  }
  DefineByFormula<MappedPairList>(store, destination, formula, *first, *second);
}

void ActionDefineFiltered(RunData& run, HostServices& host, WorkBudget&) {
  DefineOnOneBase<FilteredList>(run, host, message_tail::kFilteredBaseMissing);
}

// The actions that give a set name a new virtual list built on other sets, and
// the one that steps a k-subset.
//
// Every base is looked up before anything is built, so a destination that
// names one of its bases gets a list built on the base's former list. The new
// list is complete (constructed, formula set) before the destination name is
// looked up and bound: an action that ends early, with a box or by an
// exception, leaves the store as it was. So does one whose budget cannot pay
// for the formula's parse or the subset's first mask, after a box. A formula
// is fetched only up to one byte past the longest that is taken: a longer one
// is refused by its length, never copied whole.
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
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

namespace tallyra {

namespace {

// The list bound to a base set, or null after the box that says it is missing.
const ListRef* FindBase(SetStore& store, const std::string& name, const char* missing_tail,
                        HostPort& host) {
  const ListRef* base = store.LookUpSet(name, /*create=*/false);
  if (base == nullptr) host.ShowMessage(kListObjectErrorCaption, name + missing_tail);
  return base;
}

void ShowTooDeepBox(const std::string& name, HostPort& host) {
  host.ShowMessage(kListObjectErrorCaption, name + message_tail::kTooDeep);
}

// Whether a list may rest on base: false, after a box, when it would rest on
// more than kMaxListDepth lists one on another, or when one of its reads would
// make more than kMaxListWeight reads.
bool CanBuildOn(const ListRef& base, const std::string& name, HostPort& host) {
  if (base->Depth() < kMaxListDepth && WeightOn(base->Weight()) <= kMaxListWeight) return true;
  ShowTooDeepBox(name, host);
  return false;
}

void Bind(SetStore& store, const std::string& destination, ListRef list) {
  *store.LookUpSet(destination, /*create=*/true) = std::move(list);
}

void ShowCutShortBox(const std::string& destination, HostPort& host) {
  host.ShowMessage(kListObjectErrorCaption, destination + message_tail::kDefinitionCutShort);
}

std::string NextFormula(HostPort& host) {
  return host.NextTextUpTo(FormulaEvaluator::kMaxFormulaLength);
}

template <typename FormulaKind, typename... Bases>
void DefineByFormula(SetStore& store, HostPort& host, WorkBudget& budget,
                     const std::string& destination, const std::string& formula,
                     const Bases&... bases) {
  auto list = std::make_shared<FormulaKind>(bases...);
  if (!list->SetFormula(formula, budget)) {
    ShowCutShortBox(destination, host);
    return;
  }
  Bind(store, destination, std::move(list));
}

// The definitions on one base list: base name, formula, destination name.
template <typename FormulaKind>
void DefineOnOneBase(SetStore& store, HostPort& host, WorkBudget& budget,
                     const char* missing_tail) {
  const std::string base_name = host.NextText();
  const std::string formula = NextFormula(host);
  const std::string destination = host.NextText();
  const ListRef* base = FindBase(store, base_name, missing_tail, host);
  if (base == nullptr || !CanBuildOn(*base, base_name, host)) return;
  DefineByFormula<FormulaKind>(store, host, budget, destination, formula, *base);
}

}  // namespace

void ActionFirstSubset(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string source_name = host.NextText();
  const int32_t k = host.NextInteger();
  const std::string destination = host.NextText();
  const ListRef* source = FindBase(store, source_name, message_tail::kFirstSubsetMissing, host);
  if (source == nullptr || !CanBuildOn(*source, source_name, host)) return;
  if (k > static_cast<int32_t>(ConcreteList::kMaxLength)) {  // longer than any list can be
    host.ShowMessage(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  }
  std::shared_ptr<KSubsetList> subset;
  try {
    subset = std::make_shared<KSubsetList>(k, *source, budget);
  } catch (const KSubsetList::CutShort&) {
    ShowCutShortBox(destination, host);
    return;
  } catch (const std::bad_alloc&) {
    host.ShowMessage(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  } catch (const std::length_error&) {
    host.ShowMessage(kListObjectErrorCaption, destination + message_tail::kSubsetTooLarge);
    return;
  }
  Bind(store, destination, std::move(subset));
}

void ActionNextSubset(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string set_name = host.NextText();
  const ListRef* set = FindBase(store, set_name, message_tail::kNextSubsetMissing, host);
  if (set == nullptr) return;
  auto* subset = dynamic_cast<KSubsetList*>(set->get());
  if (subset == nullptr) {
    host.ShowMessage(kListObjectErrorCaption, set_name + message_tail::kNotKSubset);
    return;
  }
  subset->NextSubset(budget);
}

void ActionDefineFormula(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string destination = host.NextText();
  const std::string formula = NextFormula(host);
  DefineByFormula<FormulaList>(store, host, budget, destination, formula);
}

void ActionDefineMapped(SetStore& store, HostPort& host, WorkBudget& budget) {
  DefineOnOneBase<MappedList>(store, host, budget, message_tail::kMappedBaseMissing);
}

void ActionDefineSubsequence(SetStore& store, HostPort& host, WorkBudget& budget) {
  DefineOnOneBase<SubsequenceList>(store, host, budget, message_tail::kSubsequenceBaseMissing);
}

void ActionDefineMappedPair(SetStore& store, HostPort& host, WorkBudget& budget) {
  const std::string first_name = host.NextText();
  const std::string second_name = host.NextText();
  const std::string formula = NextFormula(host);
  const std::string destination = host.NextText();
  const ListRef* first = FindBase(store, first_name, message_tail::kMappedBaseMissing, host);
  if (first == nullptr) return;
  const ListRef* second = FindBase(store, second_name, message_tail::kMappedBaseMissing, host);
  if (second == nullptr) return;
  if (!CanBuildOn(*first, first_name, host) || !CanBuildOn(*second, second_name, host)) return;
  const uint64_t first_weight = (*first)->Weight();
  const uint64_t second_weight = (*second)->Weight();
  if (WeightOn(first_weight, second_weight) > kMaxListWeight) {  // the heavier one is named
    ShowTooDeepBox(first_weight >= second_weight ? first_name : second_name, host);
    return;
  }
  DefineByFormula<MappedPairList>(store, host, budget, destination, formula, *first, *second);
}

void ActionDefineFiltered(SetStore& store, HostPort& host, WorkBudget& budget) {
  DefineOnOneBase<FilteredList>(store, host, budget, message_tail::kFilteredBaseMissing);
}

}  // namespace tallyra

#include "tallyra/SetCatalog.h"

#include <utility>

#include "abi/OperationCodes.h"
#include "tallyra/Suggest.h"

namespace tallyra::script {

namespace {

std::string TextOf(const std::vector<ScriptValue>& args, size_t i) {
  return i < args.size() && args[i].IsText() ? args[i].text : std::string();
}

}  // namespace

SetCatalog::SetCatalog() {
  for (const char* name : {"<primes>", "<prime>", "<p>"}) Give({name, "primes", {}, {}});
}

const SetCatalog::Entry* SetCatalog::Find(const std::string& name) const {
  const auto it = index_.find(name);
  return it == index_.end() ? nullptr : &entries_[it->second];
}

void SetCatalog::Give(Entry entry) {
  const auto [it, added] = index_.emplace(entry.name, entries_.size());
  if (added) {
    entries_.push_back(std::move(entry));
  } else {
    entries_[it->second] = std::move(entry);
  }
}

void SetCatalog::Stored(const std::string& name) { Give({name, "stored", {}, {}}); }

void SetCatalog::ActionRan(int code, const std::vector<ScriptValue>& args) {
  switch (static_cast<ActionCode>(code)) {
    case ActionCode::kAppendText:
    case ActionCode::kAppendNumber:
    case ActionCode::kListObjectToSet:
      // Appending to a virtual list with a stored form copies it first.
      Stored(TextOf(args, 0));
      return;
    case ActionCode::kFirstSubset:
      Give({TextOf(args, 2), "k-subset", {TextOf(args, 0)}, {}});
      return;
    case ActionCode::kDefineFormula:
      Give({TextOf(args, 0), "formula", {}, TextOf(args, 1)});
      return;
    case ActionCode::kDefineMapped:
      Give({TextOf(args, 2), "mapped", {TextOf(args, 0)}, TextOf(args, 1)});
      return;
    case ActionCode::kDefineSubsequence:
      Give({TextOf(args, 2), "subsequence", {TextOf(args, 0)}, TextOf(args, 1)});
      return;
    case ActionCode::kDefineMappedPair:
      Give({TextOf(args, 3), "mapped pair", {TextOf(args, 0), TextOf(args, 1)}, TextOf(args, 2)});
      return;
    case ActionCode::kDefineFiltered:
      Give({TextOf(args, 2), "filtered", {TextOf(args, 0)}, TextOf(args, 1)});
      return;
    default:
      return;
  }
}

std::vector<int> SetCatalog::SetsRead(OperationKind kind, int code) {
  if (kind == OperationKind::kExpression) {
    return code == CodeOf(ExpressionCode::kBinomial) ? std::vector<int>{} : std::vector<int>{0};
  }
  if (kind != OperationKind::kAction) return {};
  switch (static_cast<ActionCode>(code)) {
    case ActionCode::kFirstSubset:
    case ActionCode::kNextSubset:
    case ActionCode::kDefineMapped:
    case ActionCode::kDefineSubsequence:
    case ActionCode::kDefineFiltered:
    case ActionCode::kSetToListObject:
      return {0};
    case ActionCode::kDefineMappedPair:
      return {0, 1};
    default:
      return {};
  }
}

int SetCatalog::SetGiven(int action_code) {
  switch (static_cast<ActionCode>(action_code)) {
    case ActionCode::kAppendText:
    case ActionCode::kAppendNumber:
    case ActionCode::kDefineFormula:
    case ActionCode::kListObjectToSet:
      return 0;
    case ActionCode::kFirstSubset:
    case ActionCode::kDefineMapped:
    case ActionCode::kDefineSubsequence:
    case ActionCode::kDefineFiltered:
      return 2;
    case ActionCode::kDefineMappedPair:
      return 3;
    default:
      return -1;
  }
}

std::string SetCatalog::CloseName(const std::string& name) const {
  std::vector<std::string> names;
  for (const Entry& e : entries_) names.push_back(e.name);
  return Closest(name, names);
}

}  // namespace tallyra::script

// SetCatalog: what tallyra knows of the object's sets from the statements
// that it ran: each name that an action gave a list, with the list's kind,
// the sets it is based on and its formula. It learns from the actions that
// ran without a message box only (an action that shows one changes nothing),
// and starts with the prime list's three names. It never asks the object:
// a length is read by its caller, through the object's expressions.
//
// Also knows which parameters of the object's operations read a set by its
// name, so that a read of a name that no list was given can be caught.
#ifndef TALLYRA_TALLYRA_SETCATALOG_H_
#define TALLYRA_TALLYRA_SETCATALOG_H_

#include <string>
#include <unordered_map>
#include <vector>

#include "abi/ObjectDescription.h"
#include "tallyra/ScriptValue.h"

namespace tallyra::script {

class SetCatalog {
 public:
  struct Entry {
    std::string name;
    std::string kind;                // "stored", "primes", "formula", "mapped", ...
    std::vector<std::string> bases;  // the sets it reads, for a virtual list
    std::string formula;             // for a list defined by a formula
  };

  SetCatalog();

  // The action of this code ran with these arguments, as the object fetched
  // them (one per parameter), and showed no box.
  void ActionRan(int code, const std::vector<ScriptValue>& args);
  // Elements were appended to this set other than by an action of the
  // script's (load): it is a stored set from now on.
  void Stored(const std::string& name);

  // The parameters of the operation that name a set that it reads, and of
  // the action that name the set that it gives a list.
  static std::vector<int> SetsRead(OperationKind kind, int code);
  static int SetGiven(int action_code);  // -1 for none

  bool Knows(const std::string& name) const { return Find(name) != nullptr; }
  // The known name closest to name (another case, a letter more or less);
  // empty when none is close.
  std::string CloseName(const std::string& name) const;

  // Every set known, in the order that each was first given a list.
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  const Entry* Find(const std::string& name) const;
  void Give(Entry entry);

  std::vector<Entry> entries_;
  std::unordered_map<std::string, size_t> index_;  // name -> its entry
};

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SETCATALOG_H_

// SetStore: the instance's named sets, a map from a set name to the list bound
// to it.
//
// Names are byte strings compared byte for byte (case matters, nothing is
// trimmed, the empty name is a name). Every name is bound to a list; a name
// never leaves the store until the store goes, so a binding slot stays valid
// for the store's life. The store shares ownership of its lists with the other
// names and the virtual lists that refer to them: rebinding a name releases
// the former list only when nothing else refers to it.
//
// The last name found is remembered, so that the calls of one frame, which
// mostly name the same set again and again, find it with one comparison.
#ifndef TALLYRA_RUNTIME_SETSTORE_H_
#define TALLYRA_RUNTIME_SETSTORE_H_

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "lists/ListRef.h"

namespace tallyra {

class SetStore {
 public:
  SetStore() = default;
  SetStore(const SetStore&) = delete;
  SetStore& operator=(const SetStore&) = delete;

  // The binding slot of name, through which the caller reads or rebinds it.
  // A name not in the store answers null, unless create is true: then the
  // name is added, bound to a new empty ConcreteList, and its slot answered.
  // When adding throws (no memory), the store is unchanged.
  ListRef* LookUpSet(std::string_view name, bool create);

  // Number of names held.
  std::size_t size() const { return sets_.size(); }

 private:
  using Sets = std::map<std::string, ListRef, std::less<>>;
  Sets sets_;
  Sets::iterator last_ = sets_.end();  // the name last found or added; stays valid
};

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_SETSTORE_H_

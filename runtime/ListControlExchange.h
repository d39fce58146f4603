// The exchange between sets and the host's List objects (list boxes): one
// action reads a List object's items into a set, another writes a set's first
// elements into a List object. This header gives the search for a List object
// by name; the actions are declared in runtime/Routines.h.
//
// The host compares names on at most 24 characters, and a host that keeps
// names wide has each converted to its code page (the port does both).
#ifndef TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_
#define TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_

#include <cstdint>
#include <optional>
#include <string>

#include "runtime/HostPort.h"

namespace tallyra {

// The host's List object of that name; when there is none, shows the
// missing-object box and answers none.
std::optional<ListObjectRef> FindHostListObject(const std::string& name, HostPort& host);

// The most items that ActionSetToListObject adds to a List object in one call, whatever
// the maximum asked: a list box takes some 50 microseconds to add an item
// (under Wine), so that this many keep the host waiting some seconds at most.
// Fewer when their texts take more than ConcreteList::kMaxCopyBytes, or when
// the call's budget runs out; a copy cut short for any reason shows a box
// that says how many items were put in.
constexpr int32_t kMaxListObjectItemsPerCall = 1 << 17;

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_

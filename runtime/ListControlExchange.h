// The exchange between sets and the host's List objects (list boxes): action
// 11 reads a List object's items into a set, action 12 writes a set's first
// elements into a List object. This header gives the search for a List object
// by name; the actions are declared in runtime/Routines.h.
#ifndef TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_
#define TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_

#include <string>

#include "runtime/HostServices.h"

// Looks among the host's live objects for a List object whose name, read as
// at most 24 characters, equals name byte for byte. A host that keeps names
// wide has each name converted whole to its code page, however many bytes
// that takes; a name that the code page cannot write as it is (a character
// that it has not got, a surrogate without its partner) matches no name.
// Answers true and fills *found when there is one; otherwise shows the
// missing-object box and answers false.
bool FindHostListObject(const std::string& name, HostServices& host, HostObjectView* found);

// The most items that action 12 adds to a List object in one call, whatever
// the maximum asked: a list box takes some 50 microseconds to add an item
// (under Wine), so that this many keep the host waiting some seconds at most.
// Fewer when their texts take more than ConcreteList::kMaxCopyBytes, or when
// the call's budget runs out; a copy cut short for any reason shows a box
// that says how many items were put in.
constexpr int32_t kMaxListObjectItemsPerCall = 1 << 17;

#endif  // TALLYRA_RUNTIME_LISTCONTROLEXCHANGE_H_

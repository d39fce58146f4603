// ObjectList: the host's list of objects as the module sees it through the run
// header: an array of slots, each free or pointing to an object record with
// the object's identifier, its name and, for a List object, its list box.
//
// Names are held as 8-bit texts in the host's code page; when the host keeps
// names wide, the records offer them converted to UTF-16 (or as given, for a
// name that was given wide). The list owns its entries and the list boxes of
// its List objects, which it destroys with itself or with the entry. After
// every change the run header's slot pointer and live count are rewritten, so
// that the header always shows the list as it is; the options are read then.
#ifndef TALLYRA_SIMHOST_OBJECTLIST_H_
#define TALLYRA_SIMHOST_OBJECTLIST_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "abi/HostAbi.h"
#include "platform/Win32.h"
#include "simhost/CodePage.h"

namespace tallyra::simhost {

class SimulatedObject;

// Settings of the host that the module asks for through its general entry:
// the form of the names in the object list.
struct HostOptions {
  bool wide_names = false;                // function 113: names kept as 16-bit characters
  uint32_t code_page = kCodePageWestern;  // function 115: 1252 or 65001
};

class ObjectList {
 public:
  // Borrows both; they must outlive the list. The header shows the empty list.
  ObjectList(HostRunHeader& header, const HostOptions& options);
  ~ObjectList();
  ObjectList(const ObjectList&) = delete;
  ObjectList& operator=(const ObjectList&) = delete;

  // A List object, with a list box (CreateWindowExA "LISTBOX") holding
  // `items`. A host that keeps names wide offers `wide_name` when it is given,
  // any 16-bit text; `name` is then its name for the host's own calls.
  void AddListObject(const std::string& name, const std::u16string* wide_name,
                     const std::vector<std::string>& items);
  void AddObject(const std::string& name, uint32_t identifier);  // any other object
  // One of the module's own objects.
  void AddInstance(const std::string& name, uint32_t identifier, const SimulatedObject& instance);
  void RemoveInstance(const SimulatedObject& instance);
  void AddFreeSlot();
  // Frees the slot of the first object of that name that is not one of the
  // module's own; false if none.
  bool RemoveObject(const std::string& name);

  // The items of the first List object of that name, in list-box order, and
  // items added to it; both throw std::invalid_argument when there is none.
  std::vector<std::string> ListObjectItems(const std::string& name) const;
  void AddListObjectItems(const std::string& name, const std::vector<std::string>& items);

  // Rewrites the records and the run header (after a change of the options).
  void Sync();

 private:
  struct Entry;

  void Add(std::unique_ptr<Entry> entry);
  void EncodeName(Entry& entry) const;
  Entry* FindListObject(const std::string& name) const;

  HostRunHeader& header_;
  const HostOptions& options_;
  std::vector<std::unique_ptr<Entry>> slots_;     // null: a free slot
  std::unique_ptr<HostObjectSlot[]> slot_array_;  // what the run header shows
};

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_OBJECTLIST_H_

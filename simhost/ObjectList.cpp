#include "simhost/ObjectList.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace tallyra::simhost {

struct ObjectList::Entry {
  HostObjectRecord record{};
  std::string name;                           // in the host's code page
  std::u16string wide_name;                   // the name offered when names are wide
  bool wide_name_given = false;               // wide_name is kept as given, not made from name
  HWND list_box = nullptr;                    // List objects only
  const SimulatedObject* instance = nullptr;  // the module's own objects

  ~Entry() {
    if (list_box != nullptr) DestroyWindow(list_box);
  }
};

ObjectList::ObjectList(HostRunHeader& header, const HostOptions& options)
    : header_(header), options_(options) {
  Sync();
}

ObjectList::~ObjectList() = default;

void ObjectList::Add(std::unique_ptr<Entry> entry) {
  slots_.push_back(std::move(entry));
  Sync();
}

void ObjectList::AddListObject(const std::string& name, const std::u16string* wide_name,
                               const std::vector<std::string>& items) {
  auto entry = std::make_unique<Entry>();
  entry->record.identifier = kListObjectIdentifier;
  entry->name = name;
  if (wide_name != nullptr) {
    entry->wide_name = *wide_name;
    entry->wide_name_given = true;
  }
  entry->list_box = CreateWindowExA(0, "LISTBOX", name.c_str(), 0, 0, 0, 100, 100, nullptr, nullptr,
                                    nullptr, nullptr);
  if (entry->list_box == nullptr) throw std::runtime_error("cannot create a list box for " + name);
  for (const std::string& item : items) {
    SendMessageA(entry->list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  Add(std::move(entry));
}

void ObjectList::AddObject(const std::string& name, uint32_t identifier) {
  auto entry = std::make_unique<Entry>();
  entry->record.identifier = identifier;
  entry->name = name;
  Add(std::move(entry));
}

void ObjectList::AddInstance(const std::string& name, uint32_t identifier,
                             const SimulatedObject& instance) {
  auto entry = std::make_unique<Entry>();
  entry->record.identifier = identifier;
  entry->name = name;
  entry->instance = &instance;
  Add(std::move(entry));
}

void ObjectList::RemoveInstance(const SimulatedObject& instance) {
  for (auto& entry : slots_) {
    if (entry != nullptr && entry->instance == &instance) entry.reset();
  }
  Sync();
}

void ObjectList::AddFreeSlot() { Add(nullptr); }

bool ObjectList::RemoveObject(const std::string& name) {
  for (auto& entry : slots_) {
    if (entry != nullptr && entry->instance == nullptr && entry->name == name) {
      entry.reset();
      Sync();
      return true;
    }
  }
  return false;
}

ObjectList::Entry* ObjectList::FindListObject(const std::string& name) const {
  for (const auto& entry : slots_) {
    if (entry != nullptr && entry->list_box != nullptr && entry->name == name) return entry.get();
  }
  throw std::invalid_argument("there is no List object named " + name);
}

std::vector<std::string> ObjectList::ListObjectItems(const std::string& name) const {
  HWND list_box = FindListObject(name)->list_box;
  std::vector<std::string> items;
  const LRESULT count = SendMessageA(list_box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageA(list_box, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(list_box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item[0]));
    item.resize(std::strlen(item.c_str()));
    items.push_back(std::move(item));
  }
  return items;
}

void ObjectList::AddListObjectItems(const std::string& name,
                                    const std::vector<std::string>& items) {
  HWND list_box = FindListObject(name)->list_box;
  for (const std::string& item : items) {
    SendMessageA(list_box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

void ObjectList::EncodeName(Entry& entry) const {
  if (options_.wide_names) {
    if (!entry.wide_name_given) entry.wide_name = WidenName(entry.name, options_.code_page);
    entry.record.name = entry.wide_name.c_str();
  } else {
    entry.record.name = entry.name.c_str();
  }
}

void ObjectList::Sync() {
  slot_array_ = std::make_unique<HostObjectSlot[]>(slots_.size());
  int32_t live = 0;
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    Entry* entry = slots_[i].get();
    if (entry == nullptr) continue;
    EncodeName(*entry);
    entry->record.list_box = reinterpret_cast<HostWord>(entry->list_box);
    slot_array_[i].object = &entry->record;
    ++live;
  }
  header_.object_slots = slots_.empty() ? nullptr : slot_array_.get();
  header_.live_object_count = live;
}

}  // namespace tallyra::simhost

// HandleTable<T>: the live objects of one kind (menus, windows) behind the
// opaque handles that the Win32 functions hand out.
//
// A handle is a number, never an address: it is looked up before use, so a
// handle that was never issued, or whose object has been destroyed, is simply
// not found and the call that got it fails as the Win32 function does. Handles
// are not reused. The table owns its objects; it is not synchronised (its
// user holds a lock around every use).
#ifndef TALLYRA_PLATFORM_LINUX_HANDLETABLE_H_
#define TALLYRA_PLATFORM_LINUX_HANDLETABLE_H_

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <utility>

namespace tly_platform {

template <typename T>
class HandleTable {
 public:
  // Handles of this table are base + 4·n for n = 1, 2, ...: distinct tables
  // given distinct bases never share a handle.
  explicit HandleTable(uintptr_t base) : next_(base) {}
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;

  uintptr_t Add(std::unique_ptr<T> object) {
    next_ += 4;
    objects_.emplace(next_, std::move(object));
    return next_;
  }

  // The live object behind handle, or null.
  T* Find(uintptr_t handle) const {
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  // Takes the object out of the table (null when the handle is not live).
  std::unique_ptr<T> Remove(uintptr_t handle) {
    auto it = objects_.find(handle);
    if (it == objects_.end()) return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

 private:
  uintptr_t next_;
  std::unordered_map<uintptr_t, std::unique_ptr<T>> objects_;
};

template <typename Handle>
uintptr_t HandleValue(Handle handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

template <typename Handle>
Handle ToHandle(uintptr_t value) {
  return reinterpret_cast<Handle>(value);
}

}  // namespace tly_platform

#endif  // TALLYRA_PLATFORM_LINUX_HANDLETABLE_H_

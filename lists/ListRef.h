// ListRef: a counted reference to a list, held by the set store's names and by
// virtual lists for their bases. Releasing one never recurses: when the last
// reference to a long chain of lists goes, the chain is taken down one list at
// a time, so the depth of a chain never reaches the stack.
#ifndef TALLYRA_LISTS_LISTREF_H_
#define TALLYRA_LISTS_LISTREF_H_

#include <memory>
#include <type_traits>
#include <utility>

#include "lists/List.h"

namespace tallyra {

// Drops a reference; a list that it ends is destroyed without nesting the
// destruction of the lists that it rests on inside its own.
void ReleaseList(ListPtr list) noexcept;

class ListRef {
 public:
  ListRef() = default;
  ListRef(ListPtr list) : list_(std::move(list)) {}  // NOLINT: implicit by design
  template <class Kind, class = std::enable_if_t<std::is_convertible_v<Kind*, List*>>>
  ListRef(std::shared_ptr<Kind> list) : list_(std::move(list)) {}  // NOLINT: implicit by design
  ListRef(const ListRef&) = default;
  ListRef(ListRef&&) noexcept = default;
  ListRef& operator=(ListRef other) noexcept {
    std::swap(list_, other.list_);
    return *this;  // the old reference leaves with `other`
  }
  ~ListRef() { ReleaseList(std::move(list_)); }

  List* get() const { return list_.get(); }
  List* operator->() const { return list_.get(); }
  List& operator*() const { return *list_; }
  explicit operator bool() const { return static_cast<bool>(list_); }
  const ListPtr& shared() const { return list_; }

 private:
  ListPtr list_;
};

}  // namespace tallyra

#endif  // TALLYRA_LISTS_LISTREF_H_

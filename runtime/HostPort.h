// HostPort: everything through which a run-time routine reaches its host, in
// the routine's own terms. A routine fetches its parameters in declaration
// order, hands back at most one result, raises the object's condition, shows
// messages and reads or fills the host's List objects only through it; it
// never sees how the host lays out its records.
//
// Every member answers neutrally here (an empty text, 0, no List object, no
// effect), so a fake overrides only what its test uses. The boundary
// (extension/HeaderHostPort.h) implements the port over the host's record.
#ifndef TALLYRA_RUNTIME_HOSTPORT_H_
#define TALLYRA_RUNTIME_HOSTPORT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tallyra {

// A List object of the host, as FindListObject found it. What the token
// stands for is the port's own business.
struct ListObjectRef {
  std::uintptr_t token = 0;
};

class HostPort {
 public:
  virtual ~HostPort() = default;

  // The next parameter of the running operation. A text is copied at once;
  // NextTextUpTo looks at no more than limit + 1 of its bytes, so a text
  // longer than limit comes back as those limit + 1 bytes: the caller sees
  // that it is too long and refuses it without it ever being copied whole.
  // The boundary charges a text's bytes to the call's budget before it copies
  // them (extension/HeaderHostPort.h); a text that the budget cannot pay for
  // comes back empty, the budget spent.
  std::string NextText() { return NextTextUpTo(kWholeText); }
  virtual std::string NextTextUpTo(std::size_t /*limit*/) { return std::string(); }
  static constexpr std::size_t kWholeText = SIZE_MAX - 1;
  virtual int32_t NextInteger() { return 0; }
  virtual float NextFloat() { return 0.0f; }

  // The result of the running expression. ReturnEmptyText answers the empty
  // text without asking the host for memory (the text of a missing set);
  // ReturnFloat rounds to single precision.
  virtual void ReturnText(std::string_view /*text*/) {}
  virtual void ReturnEmptyText() {}
  virtual void ReturnInteger(int32_t /*value*/) {}
  virtual void ReturnFloat(double /*value*/) {}

  // Raises the object's condition with this code.
  virtual void RaiseCondition(int32_t /*code*/) {}

  // Shows text in a modal box with the caption and one OK button, and returns
  // when it is closed.
  virtual void ShowMessage(const char* /*caption*/, const std::string& /*text*/) {}

  // The host's List object whose name, as the host compares names, is `name`;
  // none when there is no such object.
  virtual std::optional<ListObjectRef> FindListObject(const std::string& /*name*/) {
    return std::nullopt;
  }
  // The object's items: their count, and item `index` (valid until the next
  // call of the port). AddListObjectItem answers false when the object takes
  // no more items.
  virtual int32_t ListObjectItemCount(ListObjectRef /*object*/) { return 0; }
  virtual std::string_view ListObjectItem(ListObjectRef /*object*/, int32_t /*index*/) {
    return std::string_view();
  }
  virtual bool AddListObjectItem(ListObjectRef /*object*/, const std::string& /*text*/) {
    return false;
  }
};

}  // namespace tallyra

#endif  // TALLYRA_RUNTIME_HOSTPORT_H_

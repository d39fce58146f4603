// HeaderHostPort: the HostPort over the run-time record that the host hands to
// a routine (extension/RunData.h). Every service goes through the object
// header's run header: its run-time function table, the editor structure with
// the host's general entry (CallHostFunction), the object slots with their
// live count, and the flags word of the header itself. Messages are modal
// boxes with no owner, and List objects are the host's list boxes, through the
// platform layer; their names, when the host keeps them wide, are read through
// extension/WideName.h.
//
// A port serves one call from the host and owns neither the record nor the
// call's budget (the routine's adapter owns both); it charges each text
// parameter to that budget, by the bytes that it takes, before copying it. An
// action's or condition's port fetches event parameters; an expression's
// fetches expression parameters through the instance's reader with the
// handle that the host passed, and keeps the result word for the adapter.
// Two safeguards keep a faulty answer of the host from reaching the routines:
// a text parameter that comes back null reads as the empty text, and a null
// string space raises std::bad_alloc (which the routine adapters catch).
#ifndef TALLYRA_EXTENSION_HEADERHOSTPORT_H_
#define TALLYRA_EXTENSION_HEADERHOSTPORT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "abi/HostAbi.h"
#include "extension/RunData.h"
#include "lists/WorkBudget.h"
#include "runtime/HostPort.h"

namespace tallyra {

// What the object sees of one live host object.
struct HostObjectView {
  uint32_t identifier = 0;
  const void* name = nullptr;  // NUL-terminated; 16-bit characters when NamesAreWide()
  HostWord list_box = 0;       // window handle of a List object's list box
};

class HeaderHostPort final : public HostPort {
 public:
  // A port for an action or a condition.
  HeaderHostPort(RunData& run, WorkBudget& budget)
      : run_(run), header_(&run.header), budget_(budget) {}
  // A port for an expression called with this handle.
  HeaderHostPort(RunData& run, WorkBudget& budget, HostWord handle)
      : run_(run), header_(&run.header), budget_(budget), expression_(true), handle_(handle) {}

  // HostPort
  std::string NextTextUpTo(std::size_t limit) override;
  int32_t NextInteger() override;
  float NextFloat() override;
  void ReturnText(std::string_view text) override;
  void ReturnEmptyText() override;
  void ReturnInteger(int32_t value) override;
  void ReturnFloat(double value) override;
  void RaiseCondition(int32_t code) override;
  void ShowMessage(const char* caption, const std::string& text) override;
  std::optional<ListObjectRef> FindListObject(const std::string& name) override;
  int32_t ListObjectItemCount(ListObjectRef object) override;
  std::string_view ListObjectItem(ListObjectRef object, int32_t index) override;
  bool AddListObjectItem(ListObjectRef object, const std::string& text) override;

  // The result word that the expression handed back, if it handed one.
  bool has_result() const { return has_result_; }
  HostWord result() const { return result_; }

  // The host's services as the host offers them.
  // The next parameter of the running action or condition: the address of a
  // host-owned NUL-terminated text, a signed 32-bit integer, or the 32 bits
  // of a single-precision float, by kind (kEventParam...).
  HostWord GetEventParameter(HostWord kind);
  // The first and each further parameter of the running expression (kind
  // kExpressionParam...); handle sign-extended from 16 bits.
  HostWord GetFirstExpressionParameter(HostWord kind, HostWord handle);
  HostWord GetNextExpressionParameter(HostWord kind, HostWord handle);
  // Host-owned writable space of at least size bytes that outlives the call.
  char* GetStringSpace(uint32_t size);
  // Sets bits of the object header's flags word (kResultFloat, kResultText).
  void MarkResult(uint16_t bits);
  HostWord CallHostFunction(void* edit_data, HostWord function, HostWord a, HostWord b, HostWord c);
  // The number of live objects, and the live objects in slot order, free
  // slots skipped: NextLiveObject starts from *slot and leaves *slot past the
  // object found; false when no live object is left.
  int32_t LiveObjectCount();
  bool NextLiveObject(uint32_t* slot, HostObjectView* object);
  // Whether the host keeps object names as 16-bit characters (function 113),
  // and the code page for converting them to 8-bit text (function 115).
  bool NamesAreWide();
  uint32_t NameCodePage();

 private:
  const HostRunFunctions& functions() const { return *header_->run_header->functions; }
  HostWord NextWord(HostWord event_kind, HostWord expression_kind);
  void SetResult(HostWord word);

  static constexpr std::size_t kItemBufferBytes = 64;  // shorter items use one reused buffer

  RunData& run_;
  HostObjectHeader* header_;
  WorkBudget& budget_;
  bool expression_ = false;
  HostWord handle_ = 0;
  bool has_result_ = false;
  HostWord result_ = 0;
  char short_item_[kItemBufferBytes] = {};
  std::vector<char> long_item_;
};

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_HEADERHOSTPORT_H_

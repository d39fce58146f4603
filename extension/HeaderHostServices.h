// HeaderHostServices: HostServices over the object header that the host hands
// to a routine. Every service goes through the header's run header: its
// run-time function table, the editor structure with the host's general entry
// (CallHostFunction), the object slots with their live count, and the flags
// word of the header itself.
//
// The object does not own the header; it lives for one call from the host.
// Two safeguards keep a faulty answer of the host from reaching the routines:
// a text parameter that comes back null reads as the empty text, and a null
// string space raises std::bad_alloc (which the routine adapters catch).
#ifndef TALLYRA_EXTENSION_HEADERHOSTSERVICES_H_
#define TALLYRA_EXTENSION_HEADERHOSTSERVICES_H_

#include "abi/HostAbi.h"
#include "runtime/HostServices.h"

class HeaderHostServices final : public HostServices {
 public:
  // header and its run header must be valid for the object's lifetime.
  explicit HeaderHostServices(HostObjectHeader* header) : header_(header) {}

  HostWord GetEventParameter(HostWord kind) override;
  HostWord GetFirstExpressionParameter(HostWord kind, HostWord handle) override;
  HostWord GetNextExpressionParameter(HostWord kind, HostWord handle) override;
  char* GetStringSpace(uint32_t size) override;
  void MarkResult(uint16_t bits) override;
  void GenerateEvent(HostWord code) override;
  HostWord CallHostFunction(void* editData, HostWord function, HostWord a, HostWord b,
                            HostWord c) override;
  int32_t LiveObjectCount() override;
  bool NextLiveObject(uint32_t* slot, HostObjectView* object) override;
  bool NamesAreWide() override;
  uint32_t NameCodePage() override;

 private:
  const HostRunFunctions& functions() const { return *header_->runHeader->functions; }

  HostObjectHeader* header_;
};

#endif  // TALLYRA_EXTENSION_HEADERHOSTSERVICES_H_

// HostServices: every operation through which the object reaches its host.
//
// The routines of runtime/ fetch their parameters, hand back their results,
// raise events and look at the host's objects only through this interface, so
// they never see how the host lays out its records. HeaderHostServices (in
// host/) implements it over the object header that the host gives a routine;
// tests implement it with a fake host.
#ifndef TALLYRA_RUNTIME_HOSTSERVICES_H_
#define TALLYRA_RUNTIME_HOSTSERVICES_H_

#include <cstdint>

#include "abi/HostWord.h"

// What the object sees of one live host object.
struct HostObjectView {
  uint32_t identifier = 0;
  const void* name = nullptr;  // NUL-terminated; 16-bit characters when NamesAreWide()
  HostWord listBox = 0;        // window handle of a List object's list box
};

class HostServices {
 public:
  virtual ~HostServices() = default;

  // The next parameter of the running action or condition. kind is one of
  // kEventParamText, kEventParamInteger, kEventParamFloat (abi/HostAbi.h): the
  // answer is the address of a host-owned NUL-terminated text, a signed 32-bit
  // integer, or the 32 bits of a single-precision float.
  virtual HostWord GetEventParameter(HostWord kind) = 0;

  // The first and each further parameter of the running expression; kind is
  // kExpressionParamText or kExpressionParamInteger; handle is the one that the
  // host passed to the expression routine, sign-extended from 16 bits.
  virtual HostWord GetFirstExpressionParameter(HostWord kind, HostWord handle) = 0;
  virtual HostWord GetNextExpressionParameter(HostWord kind, HostWord handle) = 0;

  // A host-owned writable buffer of at least size bytes that stays valid after
  // the routine returns.
  virtual char* GetStringSpace(uint32_t size) = 0;

  // Sets bits of the object header's flags word (kResultFloat, kResultText).
  virtual void MarkResult(uint16_t bits) = 0;

  // Raises the object's condition with this code.
  virtual void GenerateEvent(HostWord code) = 0;

  // The host's general entry.
  virtual HostWord CallHostFunction(void* editData, HostWord function, HostWord a, HostWord b,
                                    HostWord c) = 0;

  // The host's object list: the number of live objects, and the live objects
  // in slot order, free slots skipped. NextLiveObject starts from *slot and
  // leaves *slot past the object found; it answers false when no live object
  // is left.
  virtual int32_t LiveObjectCount() = 0;
  virtual bool NextLiveObject(uint32_t* slot, HostObjectView* object) = 0;

  // Whether the host keeps object names as 16-bit characters (function 113),
  // and the code page for converting them to 8-bit text (function 115).
  virtual bool NamesAreWide() = 0;
  virtual uint32_t NameCodePage() = 0;
};

#endif  // TALLYRA_RUNTIME_HOSTSERVICES_H_

// Exports that make, run and end one instance of the object at run time.
#include "extension/Exports.h"
#include "extension/RunData.h"
#include "runtime/Routines.h"

extern "C" {

uint16_t TLY_CALL CreateRunObject(HostObjectHeader* runData, void* /*editData*/,
                                  void* /*creation*/) {
  if (runData == nullptr) return 0;
  RunData& run = *reinterpret_cast<RunData*>(runData);
  // The instance's own fields start out empty, so that an instance whose
  // making failed is known as such (the routine adapters then answer neutrally).
  run.reader = nullptr;
  run.store = nullptr;
  try {
    CreateInstance(run);
  } catch (...) {
  }
  return 0;
}

uint16_t TLY_CALL DestroyRunObject(HostObjectHeader* runData, HostWord /*fast*/) {
  if (runData == nullptr) return 0;
  try {
    DestroyInstance(*reinterpret_cast<RunData*>(runData));
  } catch (...) {
  }
  return 0;
}

uint16_t TLY_CALL HandleRunObject(HostObjectHeader* /*runData*/) { return 1; }

uint16_t TLY_CALL PauseRunObject(HostObjectHeader* /*runData*/) { return 0; }

uint16_t TLY_CALL ContinueRunObject(HostObjectHeader* /*runData*/) { return 0; }

uint16_t TLY_CALL DisplayRunObject(HostObjectHeader* /*runData*/) { return 0; }

}  // extern "C"

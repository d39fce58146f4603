// Exports that make, run and end one instance of the object at run time.
#include <memory>

#include "extension/Exports.h"
#include "extension/ExpressionParamReader.h"
#include "extension/RunData.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

namespace tallyra {

extern "C" {

uint16_t TLY_CALL CreateRunObject(HostObjectHeader* run_data, void* /*editData*/,
                                  void* /*creation*/) {
  if (run_data == nullptr) return 0;
  RunData& run = *reinterpret_cast<RunData*>(run_data);
  // The instance's own fields start out empty, so that an instance whose
  // making failed is known as such (the routine adapters then answer neutrally).
  run.reader = nullptr;
  run.store = nullptr;
  try {
    auto reader = std::make_unique<ExpressionParamReader>(ExpressionParamReader{&run, ReadFirst});
    std::unique_ptr<SetStore> store = CreateInstanceStore();
    run.reader = reader.release();
    run.store = store.release();
  } catch (...) {
  }
  return 0;
}

uint16_t TLY_CALL DestroyRunObject(HostObjectHeader* run_data, HostWord /*fast*/) {
  if (run_data == nullptr) return 0;
  RunData& run = *reinterpret_cast<RunData*>(run_data);
  delete run.store;  // releases every name, and each list that nothing else refers to
  run.store = nullptr;
  delete run.reader;
  run.reader = nullptr;
  return 0;
}

uint16_t TLY_CALL HandleRunObject(HostObjectHeader* /*runData*/) { return 1; }

uint16_t TLY_CALL PauseRunObject(HostObjectHeader* /*runData*/) { return 0; }

uint16_t TLY_CALL ContinueRunObject(HostObjectHeader* /*runData*/) { return 0; }

uint16_t TLY_CALL DisplayRunObject(HostObjectHeader* /*runData*/) { return 0; }

}  // extern "C"

}  // namespace tallyra

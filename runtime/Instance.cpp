// Building and taking down an instance: its reader, its store and the prime
// list that three names share.
#include <memory>

#include "extension/ExpressionParamReader.h"
#include "lists/PrimeList.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

void CreateInstance(RunData& run) {
  auto reader = std::make_unique<ExpressionParamReader>(ExpressionParamReader{&run, ReadFirst});
  auto store = std::make_unique<SetStore>();
  const ListRef primes(std::make_shared<PrimeList>());
  for (const char* name : {"<primes>", "<prime>", "<p>"}) {
    *store->LookUpSet(name, /*create=*/true) = primes;
  }
  run.reader = reader.release();
  run.store = store.release();
}

void DestroyInstance(RunData& run) {
  delete run.store;  // releases every name, and each list that nothing else refers to
  run.store = nullptr;
  delete run.reader;
  run.reader = nullptr;
}

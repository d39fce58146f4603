// A new instance's store and the prime list that three names share.
#include <memory>

#include "lists/PrimeList.h"
#include "runtime/Routines.h"
#include "runtime/SetStore.h"

namespace tallyra {

std::unique_ptr<SetStore> CreateInstanceStore() {
  auto store = std::make_unique<SetStore>();
  const ListRef primes(std::make_shared<PrimeList>());
  for (const char* name : {"<primes>", "<prime>", "<p>"}) {
    *store->LookUpSet(name, /*create=*/true) = primes;
  }
  return store;
}

}  // namespace tallyra

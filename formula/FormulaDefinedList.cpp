#include "formula/FormulaDefinedList.h"

#include <utility>
#include <vector>

namespace tallyra {

namespace {

// Each name bound to its value's place, the first kMostVariables of them.
std::vector<std::pair<const char*, double*>> Bindings(std::initializer_list<const char*> names,
                                                      double* values, std::size_t most) {
  std::vector<std::pair<const char*, double*>> bindings;
  for (const char* name : names) {
    if (bindings.size() == most) break;
    bindings.emplace_back(name, values + bindings.size());
  }
  return bindings;
}

}  // namespace

FormulaDefinedList::FormulaDefinedList(std::initializer_list<const char*> variables, uint32_t depth,
                                       uint64_t weight)
    : depth_(depth), weight_(weight), evaluator_(Bindings(variables, values_, kMostVariables)) {}

}  // namespace tallyra

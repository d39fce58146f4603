// FormulaTrial: what a list's formula gives for values of its variables, for
// eval: the module's own formula code, set up as every list's, with the
// variables n, x, a and b. A variable that is not given is 0; n is always
// there, the others only when given, so that a name that the intended list
// would not know is refused as it would be there.
#ifndef TALLYRA_TALLYRA_FORMULATRIAL_H_
#define TALLYRA_TALLYRA_FORMULATRIAL_H_

#include <string>
#include <vector>

namespace tallyra::script {

// The line that eval prints: the value (the shortest decimal that reads back
// as the same double), or why there is none: the formula cannot be read
// (where and why), or its evaluation fails for these values.
std::string TryFormula(const std::string& formula, const std::vector<std::string>& names,
                       const std::vector<double>& values);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_FORMULATRIAL_H_

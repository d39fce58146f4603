// FormulaHints: the fixes for the mistakes that authors coming from other
// languages make in formulas, found in the formula's text: pi for _pi, a
// function written with capitals, n % 3 for mod(n, 3), ** for ^, floor,
// => for >=; and a lone "=", which assigns in the formula language where a
// comparison was meant. Pure functions on the text.
#ifndef TALLYRA_TALLYRA_FORMULAHINTS_H_
#define TALLYRA_TALLYRA_FORMULAHINTS_H_

#include <string>

namespace tallyra::script {

// "write _pi for pi; write mod(n, 3) for n % 3": the fixes for every trap
// found in the formula, in the order they appear; empty when none is.
std::string FormulaFixes(const std::string& formula);

// The first lone "=" of the formula (not part of ==, <=, >=, !=), as the
// text around it ("x = 3"); empty when there is none.
std::string FormulaAssignment(const std::string& formula);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_FORMULAHINTS_H_

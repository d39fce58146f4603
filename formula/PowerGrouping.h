// GroupPowersFromLeft: makes chains of "^" in a formula group from the left
// for a parser whose "^" groups from the right, by adding parentheses:
// a^b^c becomes (a^b)^c and a^b^c^d becomes ((a^b)^c)^d. Nothing else in the
// text changes; a formula without such a chain comes back as it was.
//
// The operands of a chain are numbers, names, function calls and groups in
// parentheses, at any depth (inside function arguments and parentheses too).
// A unary sign right after "^" takes all the rest of the chain as its operand,
// because the unary minus binds more weakly than "^": a^-b^c is a^(-(b^c)),
// and the chain b^c after the sign is a chain of its own. A sign before the
// first operand stays outside the chain: -a^b^c is -((a^b)^c).
//
// The scan mirrors how muParser splits a formula into tokens (names, numbers,
// strings, the word operators "and", "or", "xor" after an operand) closely
// enough to find the chains of any formula that it accepts; on text that it
// rejects the result is rejected as well. The scan needs no recursion, so
// nesting depth costs no stack.
#ifndef TALLYRA_FORMULA_POWERGROUPING_H_
#define TALLYRA_FORMULA_POWERGROUPING_H_

#include <string>
#include <string_view>

std::string GroupPowersFromLeft(std::string_view formula);

#endif  // TALLYRA_FORMULA_POWERGROUPING_H_

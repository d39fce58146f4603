// RewriteForParser: the formula text that muParser is given for the text that
// the author wrote. Two of the language's rules are brought about in the text,
// in one scan, because muParser's built-in language differs from them:
//
// Chains of "^" group from the left (muParser groups its built-in "^" from
// the right), by adding parentheses: a^b^c becomes (a^b)^c and a^b^c^d
// becomes ((a^b)^c)^d. The operands of a chain are numbers, names, function
// calls and groups in parentheses, at any depth (inside function arguments and
// parentheses too). A unary sign right after "^" takes all the rest of the
// chain as its operand, because the unary minus binds more weakly than "^":
// a^-b^c is a^(-(b^c)), and the chain b^c after the sign is a chain of its
// own. A sign before the first operand stays outside the chain: -a^b^c is
// -((a^b)^c). Each regrouped "^" adds two characters.
//
// "if" chooses lazily: a call of the name "if" with three arguments,
// if(c,a,b), becomes muParser's conditional ((c)?(a):(b)), which evaluates
// only the branch that it chooses (NaN counts as true), so that the other
// branch cannot fail the evaluation. The parentheses keep the call one operand,
// as it was. Calls inside the arguments are rewritten as well. A call with
// another number of arguments is left alone (and fails as a call of the
// function "if"). Each rewritten call adds four characters.
//
// Nothing else in the text changes; a formula without such a chain or call
// comes back as it was. The scan mirrors how muParser splits a formula into
// tokens (names, numbers, strings, the word operators "and", "or", "xor" after
// an operand, a function call as a name right before "(") closely enough to
// find the chains and calls of any formula that it accepts; on text that it
// rejects the result is rejected as well. The scan needs no recursion, so
// nesting depth costs no stack.
#ifndef TALLYRA_FORMULA_FORMULAREWRITING_H_
#define TALLYRA_FORMULA_FORMULAREWRITING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallyra {

std::string RewriteForParser(std::string_view formula);

// The same, and for each character of the result the position in `formula`
// that it comes from (an added character: the position where it went in), so
// that a place that the parser names can be shown in the text as written.
std::string RewriteForParser(std::string_view formula, std::vector<std::size_t>* origins);

}  // namespace tallyra

#endif  // TALLYRA_FORMULA_FORMULAREWRITING_H_

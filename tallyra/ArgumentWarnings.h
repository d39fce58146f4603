// ArgumentWarnings: what a script line asks of the object that the object
// will not do as written, although the line reads: a literal number with a
// fraction or beyond 32 bits (every number that the object reads, it reads as
// an integer), and a literal formula that the formula language cannot read or
// that assigns where it meant to compare.
#ifndef TALLYRA_TALLYRA_ARGUMENTWARNINGS_H_
#define TALLYRA_TALLYRA_ARGUMENTWARNINGS_H_

#include <string>
#include <vector>

#include "tallyra/ScriptGrammar.h"
#include "tallyra/ScriptSyntax.h"

namespace tallyra::script {

// The warnings about the statement's arguments and those of the calls in it,
// blocks included, in the order in which they are written.
std::vector<std::string> ArgumentWarnings(const ScriptGrammar& grammar,
                                          const ScriptStatement& statement);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_ARGUMENTWARNINGS_H_

// MeantForm: for a line that cannot be read, the form of the action or of the
// statement that it is closest to, by its shape: its words in lower case and
// each argument (a text, a number, a call) as one placeholder, so that a
// misspelled word or a missing one still finds the form it was meant to be.
#ifndef TALLYRA_TALLYRA_MEANTFORM_H_
#define TALLYRA_TALLYRA_MEANTFORM_H_

#include <cstddef>
#include <string>

#include "tallyra/ScriptGrammar.h"

namespace tallyra::script {

// The closest form, quoted, when it is worth saying: the line departs from it
// before failure_pos, where the reading of the line failed (another form led
// the reading astray), or nothing got past the line's start. Empty otherwise.
std::string MeantForm(const ScriptGrammar& grammar, const std::string& line_text,
                      size_t failure_pos);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_MEANTFORM_H_

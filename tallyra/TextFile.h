// TextFile: the text of a script or of a data file as tallyra reads it:
// UTF-8, its byte-order mark dropped, or UTF-16 in either byte order, with
// or without a byte-order mark (as Windows PowerShell writes), turned into
// UTF-8. A file is read up to a bound, so that no file can take all memory.
#ifndef TALLYRA_TALLYRA_TEXTFILE_H_
#define TALLYRA_TALLYRA_TEXTFILE_H_

#include <cstddef>
#include <istream>
#include <string>

namespace tallyra::script {

// The bytes of a text as UTF-8. False, with *error naming the encoding and
// the place, when they are UTF-16 that cannot be read as such.
bool DecodeText(const std::string& bytes, std::string* text, std::string* error);

// Reads at most max_bytes from in and decodes them. *cut tells whether the
// input went on past max_bytes (the text then ends at the last whole line).
// False with *error set when the input cannot be read or decoded.
bool ReadText(std::istream& in, size_t max_bytes, std::string* text, bool* cut, std::string* error);

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_TEXTFILE_H_

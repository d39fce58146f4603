// The texts that the editor asks for: display strings, parameter titles and
// expression parameter names. Every copy into a host buffer is bounded by the
// maximum length that the host passes: at most that many bytes, terminator
// included, are written (a longer text is cut), and a maximum of 0 or less
// writes nothing.
//
// Codes arrive as 16-bit words; parameters and maximum lengths as words.
#ifndef TALLYRA_EXTENSION_EDITORTEXTS_H_
#define TALLYRA_EXTENSION_EDITORTEXTS_H_

#include <cstddef>
#include <cstdint>

#include "abi/HostWord.h"
#include "abi/Operations.h"
#include "platform/Win32.h"

namespace tallyra {

// Copies text into buffer within max_length bytes, terminator included.
void CopyBounded(const char* text, char* buffer, HostWord max_length);

// The display string of the kind's operation `code`; an unregistered code
// leaves the buffer untouched.
void WriteDisplayString(OperationKind kind, HostWord code, char* buffer, HostWord max_length);

// Where LookUpTitle finds what it needs: the kind's information array with its
// record count.
struct TitleSource {
  const uint16_t* infos;
  std::size_t records;
};

// The title of parameter `param` of the kind's operation `code`: the
// registered title when the record gives the parameter a title id. A title id
// of 0 (the module carries no menu resources to take a title from), an
// unregistered code or parameter writes nothing.
void LookUpTitle(OperationKind kind, const TitleSource& source, HostWord code, HostWord param,
                 char* buffer, HostWord max_length);

// The registered title of an expression's parameter (an empty title writes
// the empty text); an unregistered code or parameter writes nothing.
void WriteExpressionParam(HostWord code, HostWord param, char* buffer, HostWord max_length);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_EDITORTEXTS_H_

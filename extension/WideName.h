// WideName: a host object's name kept as 16-bit characters (when the host
// says that its names are wide), as 8-bit text in the host's code page. The
// conversion is whole or nothing: a name with a character that the code page
// cannot write as it is, or with a surrogate without its partner, has no
// 8-bit form, so that it never reads as another object's name.
#ifndef TALLYRA_EXTENSION_WIDENAME_H_
#define TALLYRA_EXTENSION_WIDENAME_H_

#include <cstddef>
#include <cstdint>

#include "abi/HostAbi.h"
#include "platform/Win32.h"

namespace tallyra {

// Room for a host object name of kHostNameChars characters and a NUL, as
// 8-bit text in any code page: a 16-bit character takes at most 4 bytes (a
// surrogate pair, two characters, 4 bytes in UTF-8; GB18030 4 bytes for one).
constexpr std::size_t kNameBufferBytes = 4 * kHostNameChars + 1;

// The wide name, read up to its NUL or kHostNameChars characters (the host's
// name field, which a long name fills without a NUL), converted to code_page
// in buffer, NUL-terminated. False when it has no 8-bit form.
bool ConvertWideName(UINT code_page, const WCHAR* name, char (&buffer)[kNameBufferBytes]);

}  // namespace tallyra

#endif  // TALLYRA_EXTENSION_WIDENAME_H_

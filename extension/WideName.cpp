#include "extension/WideName.h"

#include <cstring>

namespace tallyra {

namespace {

// True when the 16-bit text holds a surrogate without its partner: a text
// that no code page can write.
bool HasLoneSurrogate(const WCHAR* wide, int length) {
  for (int i = 0; i < length; ++i) {
    const bool high = wide[i] >= 0xD800 && wide[i] <= 0xDBFF;
    const bool low = wide[i] >= 0xDC00 && wide[i] <= 0xDFFF;
    if (low) return true;
    if (high) {
      if (i + 1 == length || !(wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF)) return true;
      ++i;
    }
  }
  return false;
}

// The first length characters of a wide name and a NUL, converted whole to
// the code page in buffer. False when the conversion fails or cannot write
// every character as it is (one that the code page has not got would become
// '?', or a look-alike).
bool Convert(UINT code_page, const WCHAR* wide, int length, char (&buffer)[kNameBufferBytes]) {
  if (HasLoneSurrogate(wide, length)) return false;
  const int bytes = static_cast<int>(sizeof buffer);
  // UTF-8 and UTF-7 write every character, and take no report of a default
  // character; other code pages report one that they cannot write.
  if (code_page == CP_UTF8 || code_page == CP_UTF7) {
    return WideCharToMultiByte(code_page, 0, wide, length + 1, buffer, bytes, nullptr, nullptr) > 0;
  }
  BOOL used_default = FALSE;
  const int written = WideCharToMultiByte(code_page, WC_NO_BEST_FIT_CHARS, wide, length + 1, buffer,
                                          bytes, nullptr, &used_default);
  return written > 0 && !used_default;
}

}  // namespace

bool ConvertWideName(UINT code_page, const WCHAR* name, char (&buffer)[kNameBufferBytes]) {
  int length = 0;
  while (length < static_cast<int>(kHostNameChars) && name[length] != 0) ++length;
  // A copy ended by a NUL of its own: a name that fills the host's field need
  // not end in one.
  WCHAR copy[kHostNameChars + 1];
  std::memcpy(copy, name, sizeof(WCHAR) * static_cast<std::size_t>(length));
  copy[length] = 0;
  const bool converted = Convert(code_page, copy, length, buffer);
  buffer[kNameBufferBytes - 1] = '\0';
  return converted;
}

}  // namespace tallyra

// Characters and words as the script language reads them: blanks, digits,
// letters, the characters of words and of expression names, and comparison
// of words with letters in any case.
#ifndef TALLYRA_TALLYRA_SCRIPTCHARS_H_
#define TALLYRA_TALLYRA_SCRIPTCHARS_H_

#include <cstddef>
#include <string>

namespace tallyra::script {

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r'; }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
// Characters of a word in display strings and in lines. Bytes above 127 count
// as letters, so that texts in any 8-bit encoding match as words.
inline bool IsWordChar(char c) {
  return IsLetter(c) || IsDigit(c) || static_cast<unsigned char>(c) >= 0x80;
}
// Characters of an expression name ("asString$").
inline bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '$'; }
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

inline bool StartsWithText(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

inline std::string Quote(const std::string& text) { return "\"" + text + "\""; }

}  // namespace tallyra::script

#endif  // TALLYRA_TALLYRA_SCRIPTCHARS_H_

// The simulated host's names in 16-bit form: a name held as 8-bit text in the
// host's code page, converted to UTF-16 for a host that keeps names wide.
// Code page 65001 is UTF-8 (a malformed sequence gives U+FFFD); 1252 is
// Windows Western; any other code page is read as Latin-1.
#ifndef TALLYRA_SIMHOST_CODEPAGE_H_
#define TALLYRA_SIMHOST_CODEPAGE_H_

#include <cstdint>
#include <string>

namespace tallyra::simhost {

constexpr uint32_t kCodePageWestern = 1252;
constexpr uint32_t kCodePageUtf8 = 65001;

std::u16string WidenName(const std::string& text, uint32_t code_page);

}  // namespace tallyra::simhost

#endif  // TALLYRA_SIMHOST_CODEPAGE_H_

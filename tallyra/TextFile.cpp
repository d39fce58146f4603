#include "tallyra/TextFile.h"

#include <algorithm>
#include <cstdint>

namespace tallyra::script {

namespace {

void AppendUtf8(uint32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-16 without a byte-order mark: in the first bytes, one byte of each
// pair is mostly NUL (the ASCII that scripts are written in) and the other
// never is. 0 for none, 1 for little-endian, 2 for big-endian.
int GuessUtf16(const std::string& bytes) {
  const size_t pairs = std::min<size_t>(bytes.size(), 4096) / 2;
  if (pairs == 0) return 0;
  size_t low_nul = 0;  // NUL in the first byte of a pair
  size_t high_nul = 0;
  for (size_t i = 0; i < pairs; ++i) {
    low_nul += bytes[2 * i] == '\0';
    high_nul += bytes[2 * i + 1] == '\0';
  }
  if (high_nul * 2 >= pairs && low_nul == 0) return 1;
  if (low_nul * 2 >= pairs && high_nul == 0) return 2;
  return 0;
}

bool DecodeUtf16(const std::string& bytes, size_t start, bool little, std::string* text,
                 std::string* error) {
  const std::string name = little ? "UTF-16 (little-endian)" : "UTF-16 (big-endian)";
  auto unit = [&](size_t i) {
    const auto lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
    const auto hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
    return static_cast<uint32_t>(hi << 8 | lo);
  };
  if ((bytes.size() - start) % 2 != 0) {
    *error = "the file is " + name + " but has an odd number of bytes; save it as UTF-8";
    return false;
  }
  text->clear();
  for (size_t i = start; i < bytes.size(); i += 2) {
    uint32_t c = unit(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 2 < bytes.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      *error = "the file is " + name + " but has a broken character at byte " +
               std::to_string(i + 1) + "; save it as UTF-8";
      return false;
    }
    AppendUtf8(c, text);
  }
  return true;
}

}  // namespace

bool DecodeText(const std::string& bytes, std::string* text, std::string* error) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    *text = bytes.substr(3);
    return true;
  }
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return DecodeUtf16(bytes, 2, true, text, error);
  if (bytes.compare(0, 2, "\xFE\xFF") == 0) return DecodeUtf16(bytes, 2, false, text, error);
  const int guess = GuessUtf16(bytes);
  if (guess != 0) return DecodeUtf16(bytes, 0, guess == 1, text, error);
  *text = bytes;
  return true;
}

bool ReadText(std::istream& in, size_t max_bytes, std::string* text, bool* cut,
              std::string* error) {
  std::string bytes;
  char buffer[65536];
  *cut = false;
  while (in.read(buffer, sizeof(buffer)) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<size_t>(in.gcount()));
    if (bytes.size() > max_bytes) {
      *cut = true;
      bytes.resize(max_bytes);
      break;
    }
  }
  if (in.bad()) {
    *error = "the input cannot be read";
    return false;
  }
  if (!DecodeText(bytes, text, error)) return false;
  if (*cut) {
    const size_t last = text->rfind('\n');
    text->resize(last == std::string::npos ? 0 : last + 1);
  }
  return true;
}

}  // namespace tallyra::script

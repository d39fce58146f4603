#include "simhost/CodePage.h"

namespace tallyra::simhost {

namespace {

// Code points of bytes 0x80..0x9F in code page 1252 (0xFFFD where undefined).
constexpr char16_t kWestern80[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

void AppendCodePoint(std::u16string& out, uint32_t point) {
  if (point < 0x10000) {
    out.push_back(static_cast<char16_t>(point));
  } else {
    point -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (point >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (point & 0x3FF)));
  }
}

std::u16string WidenUtf8(const std::string& text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    uint32_t point = 0;
    uint32_t least = 0;
    if (lead < 0x80) {
      point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1, point = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, point = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, point = lead & 0x07, least = 0x10000;
    } else {
      out.push_back(u'\xFFFD');
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    bool good = true;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) {
        good = false;
        break;
      }
      point = (point << 6) | (static_cast<unsigned char>(text[j]) & 0x3F);
    }
    if (!good || point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
      out.push_back(u'\xFFFD');
      i = good ? j : i + 1;
      continue;
    }
    AppendCodePoint(out, point);
    i = j;
  }
  return out;
}

}  // namespace

std::u16string WidenName(const std::string& text, uint32_t code_page) {
  if (code_page == kCodePageUtf8) return WidenUtf8(text);
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (code_page == kCodePageWestern && byte >= 0x80 && byte < 0xA0) {
      out.push_back(kWestern80[byte - 0x80]);
    } else {
      out.push_back(static_cast<char16_t>(byte));
    }
  }
  return out;
}

}  // namespace tallyra::simhost

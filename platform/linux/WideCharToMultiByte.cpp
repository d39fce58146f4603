// WideCharToMultiByte for the code pages a host names for its object names:
// Windows-1252 (also for CP_ACP, the ANSI code page of a Western system) and
// UTF-8. Other code pages are not supported, nor any flag but
// WC_NO_BEST_FIT_CHARS for Windows-1252: the call fails.
//
// Windows-1252: a character that the code page cannot represent becomes the
// default character ('?' unless the caller gives one) and *usedDefault is set.
// Unlike Windows, no "best fit" look-alike (A for A with a macron, say) is
// chosen, with WC_NO_BEST_FIT_CHARS or without. UTF-8: surrogate pairs become one 4-byte sequence;
// a surrogate without its partner becomes U+FFFD.
//
// As in Win32: wideCount -1 converts up to and including the terminating NUL
// (counted in the result); multiBytes 0 answers the number of bytes needed; a
// buffer too small for the whole result fails with 0.
#include <climits>
#include <cstdint>

#include "platform/Win32.h"

namespace tly_platform {
namespace {

constexpr UINT kWindows1252 = 1252;

// Characters of 0x80-0x9F in Windows-1252; 0 where the byte is unassigned,
// in which case the byte stands for the C1 control of the same value.
constexpr uint16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

// The Windows-1252 byte of c, or -1.
int To1252(uint16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
  for (int i = 0; i < 32; ++i) {
    if (kHigh1252[i] == c) return 0x80 + i;
    if (kHigh1252[i] == 0 && c == 0x80 + i) return c;
  }
  return -1;
}

// Collects the output: counts it, and writes it when there is a buffer.
class Output {
 public:
  Output(char* buffer, int capacity) : buffer_(buffer), capacity_(capacity) {}

  void Put(unsigned char byte) {
    if (capacity_ > 0 && written_ < static_cast<int64_t>(capacity_)) {
      buffer_[written_] = static_cast<char>(byte);
    }
    ++written_;
  }

  // The result of the call: the bytes produced, or 0 when they did not fit in
  // the buffer (or do not fit in an int).
  int Result() const {
    if (written_ > INT_MAX) return 0;
    if (capacity_ > 0 && written_ > static_cast<int64_t>(capacity_)) return 0;
    return static_cast<int>(written_);
  }

 private:
  char* buffer_;
  int capacity_;  // 0: count only
  int64_t written_ = 0;
};

void Encode1252(const WCHAR* wide, size_t count, char defaultChar, BOOL* usedDefault, Output& out) {
  for (size_t i = 0; i < count; ++i) {
    int byte = To1252(wide[i]);
    if (byte < 0) {
      out.Put(static_cast<unsigned char>(defaultChar));
      if (usedDefault != nullptr) *usedDefault = TRUE;
    } else {
      out.Put(static_cast<unsigned char>(byte));
    }
  }
}

void EncodeUtf8(const WCHAR* wide, size_t count, Output& out) {
  for (size_t i = 0; i < count; ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < count && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.Put(static_cast<unsigned char>(c));
    } else if (c < 0x800) {
      out.Put(static_cast<unsigned char>(0xC0 | (c >> 6)));
      out.Put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.Put(static_cast<unsigned char>(0xE0 | (c >> 12)));
      out.Put(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
      out.Put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    } else {
      out.Put(static_cast<unsigned char>(0xF0 | (c >> 18)));
      out.Put(static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F)));
      out.Put(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
      out.Put(static_cast<unsigned char>(0x80 | (c & 0x3F)));
    }
  }
}

}  // namespace
}  // namespace tly_platform

extern "C" {

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH wide, int wideCount, LPSTR multi,
                               int multiBytes, LPCCH defaultChar, LPBOOL usedDefault) {
  if (wide == nullptr || wideCount == 0 || wideCount < -1 || multiBytes < 0) return 0;
  if (multiBytes > 0 && multi == nullptr) return 0;
  if (multiBytes > 0 && static_cast<const void*>(multi) == static_cast<const void*>(wide)) {
    return 0;
  }
  if (codePage == CP_ACP) codePage = tly_platform::kWindows1252;
  if (flags != 0 && !(flags == WC_NO_BEST_FIT_CHARS && codePage == tly_platform::kWindows1252)) {
    return 0;
  }
  if (codePage == CP_UTF8 && (defaultChar != nullptr || usedDefault != nullptr)) return 0;
  if (codePage != CP_UTF8 && codePage != tly_platform::kWindows1252) return 0;

  size_t count;
  if (wideCount == -1) {
    count = 0;
    while (wide[count] != 0) ++count;
    ++count;  // the terminating NUL is converted too
  } else {
    count = static_cast<size_t>(wideCount);
  }

  tly_platform::Output out(multi, multiBytes);
  if (codePage == CP_UTF8) {
    tly_platform::EncodeUtf8(wide, count, out);
  } else {
    if (usedDefault != nullptr) *usedDefault = FALSE;
    tly_platform::Encode1252(wide, count, defaultChar != nullptr ? *defaultChar : '?', usedDefault,
                             out);
  }
  return out.Result();
}

}  // extern "C"

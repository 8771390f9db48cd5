#include "TextEncoding.h"

namespace symac {
namespace {

// Mac Roman 0x80-0xFF, after the platform's own mapping (0xDB is the euro sign).
const UniChar kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

bool decodeUtf8(const UInt8* s, size_t n, std::u16string& out) {
  size_t i = 0;
  while (i < n) {
    uint32_t c = s[i];
    size_t len;
    uint32_t min;
    if (c < 0x80) {
      out.push_back(char16_t(c));
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80, c &= 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800, c &= 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000, c &= 0x07;
    } else {
      return false;
    }
    if (n - i < len) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) return false;
      c = (c << 6) | (s[i + k] & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(char16_t(0xD800 + (c >> 10)));
      out.push_back(char16_t(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(char16_t(c));
    }
    i += len;
  }
  return true;
}

bool encodeUtf8(const std::u16string& t, std::string& out) {
  for (size_t i = 0; i < t.size(); ++i) {
    uint32_t c = t[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= t.size() || t[i + 1] < 0xDC00 || t[i + 1] > 0xDFFF) return false;
      c = 0x10000 + ((c - 0xD800) << 10) + (t[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (c >> 18)));
      out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

}  // namespace

UniChar macRomanToUnicode(UInt8 byte) { return byte < 0x80 ? UniChar(byte) : kMacRomanHigh[byte - 0x80]; }

bool decodeText(const UInt8* bytes, size_t length, CFStringEncoding encoding, std::u16string& out) {
  out.clear();
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return decodeUtf8(bytes, length, out);
    case kCFStringEncodingASCII:
      for (size_t i = 0; i < length; ++i) {
        if (bytes[i] >= 0x80) return false;
        out.push_back(char16_t(bytes[i]));
      }
      return true;
    case kCFStringEncodingMacRoman:
      for (size_t i = 0; i < length; ++i) out.push_back(char16_t(macRomanToUnicode(bytes[i])));
      return true;
    case kCFStringEncodingUnicode:
      if (length % 2 != 0) return false;
      for (size_t i = 0; i + 1 < length; i += 2) out.push_back(char16_t(bytes[i] | (bytes[i + 1] << 8)));
      return true;
    default:
      return false;
  }
}

bool encodeText(const std::u16string& text, CFStringEncoding encoding, std::string& out) {
  out.clear();
  switch (encoding) {
    case kCFStringEncodingUTF8:
      return encodeUtf8(text, out);
    case kCFStringEncodingASCII:
      for (char16_t c : text) {
        if (c >= 0x80) return false;
        out.push_back(char(c));
      }
      return true;
    case kCFStringEncodingMacRoman:
      for (char16_t c : text) {
        if (c < 0x80) {
          out.push_back(char(c));
          continue;
        }
        int found = -1;
        for (int k = 0; k < 128; ++k) {
          if (kMacRomanHigh[k] == c) {
            found = k;
            break;
          }
        }
        if (found < 0) return false;
        out.push_back(char(0x80 + found));
      }
      return true;
    case kCFStringEncodingUnicode:
      for (char16_t c : text) {
        out.push_back(char(c & 0xFF));
        out.push_back(char(c >> 8));
      }
      return true;
    default:
      return false;
  }
}

}  // namespace symac

#include "Base64.h"

namespace symac {
namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int valueOf(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
}  // namespace

std::string base64Encode(const UInt8* bytes, size_t length) {
  std::string out;
  out.reserve((length + 2) / 3 * 4);
  for (size_t i = 0; i < length; i += 3) {
    const UInt32 b0 = bytes[i];
    const UInt32 b1 = i + 1 < length ? bytes[i + 1] : 0;
    const UInt32 b2 = i + 2 < length ? bytes[i + 2] : 0;
    const UInt32 v = (b0 << 16) | (b1 << 8) | b2;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < length ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back(i + 2 < length ? kAlphabet[v & 63] : '=');
  }
  return out;
}

bool base64Decode(const std::string& text, std::vector<UInt8>& out) {
  out.clear();
  UInt32 acc = 0;
  int bits = 0;
  int padding = 0;
  size_t symbols = 0;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (c == '=') {
      ++padding;
      ++symbols;
      continue;
    }
    const int v = valueOf(c);
    if (v < 0 || padding > 0) return false;
    ++symbols;
    acc = (acc << 6) | UInt32(v);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out.push_back(UInt8((acc >> bits) & 0xFF));
    }
  }
  if (padding > 2) return false;
  if (padding > 0 && symbols % 4 != 0) return false;
  // Leftover bits must be the zero fill of a short final group.
  return bits < 6 && (acc & ((1u << bits) - 1)) == 0;
}

}  // namespace symac

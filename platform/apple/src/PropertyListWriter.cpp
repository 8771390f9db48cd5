// XML property-list writer: tab indentation, sorted dictionary keys, deterministic bytes.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Base64.h"
#include "CFObject.h"

namespace {

bool toUtf8(CFStringRef s, std::string& out) {
  const CFIndex length = CFStringGetLength(s);
  std::vector<char> buf(size_t(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8)) + 1);
  if (!CFStringGetCString(s, buf.data(), CFIndex(buf.size()), kCFStringEncodingUTF8)) return false;
  out.assign(buf.data());
  return true;
}

void appendEscaped(std::string& out, const std::string& text) {
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
}

std::string formatReal(double d) {
  if (std::isnan(d)) return "nan";
  if (std::isinf(d)) return d > 0 ? "+infinity" : "-infinity";
  char buf[40];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*g", precision, d);
    if (std::strtod(buf, nullptr) == d) break;
  }
  return buf;
}

class Writer {
 public:
  bool write(CFTypeRef value, int depth) {
    if (depth > 256 || value == nullptr) return false;
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID()) {
      std::string text;
      if (!toUtf8(CFStringRef(value), text)) return false;
      line(depth, "<string>");
      appendEscaped(out_, text);
      out_ += "</string>\n";
    } else if (type == CFNumberGetTypeID()) {
      CFNumberRef n = CFNumberRef(value);
      line(depth, "");
      if (CFNumberIsFloatType(n)) {
        double d = 0;
        CFNumberGetValue(n, kCFNumberFloat64Type, &d);
        out_ += "<real>" + formatReal(d) + "</real>\n";
      } else {
        SInt64 i = 0;
        CFNumberGetValue(n, kCFNumberSInt64Type, &i);
        out_ += "<integer>" + std::to_string(i) + "</integer>\n";
      }
    } else if (type == CFBooleanGetTypeID()) {
      line(depth, CFBooleanGetValue(CFBooleanRef(value)) ? "<true/>\n" : "<false/>\n");
    } else if (type == CFDataGetTypeID()) {
      writeData(CFDataRef(value), depth);
    } else if (type == CFArrayGetTypeID()) {
      return writeArray(CFArrayRef(value), depth);
    } else if (type == CFDictionaryGetTypeID()) {
      return writeDictionary(CFDictionaryRef(value), depth);
    } else {
      return false;
    }
    return true;
  }

  std::string& text() { return out_; }

 private:
  void line(int depth, const char* text) {
    out_.append(size_t(depth), '\t');
    out_ += text;
  }

  void writeData(CFDataRef data, int depth) {
    const std::string encoded = symac::base64Encode(CFDataGetBytePtr(data), size_t(CFDataGetLength(data)));
    line(depth, "<data>\n");
    const size_t width = 68;
    for (size_t at = 0; at < encoded.size(); at += width) {
      line(depth, "");
      out_ += encoded.substr(at, width);
      out_ += "\n";
    }
    line(depth, "</data>\n");
  }

  bool writeArray(CFArrayRef array, int depth) {
    const CFIndex count = CFArrayGetCount(array);
    if (count == 0) {
      line(depth, "<array/>\n");
      return true;
    }
    line(depth, "<array>\n");
    for (CFIndex i = 0; i < count; ++i) {
      if (!write(CFArrayGetValueAtIndex(array, i), depth + 1)) return false;
    }
    line(depth, "</array>\n");
    return true;
  }

  bool writeDictionary(CFDictionaryRef dict, int depth) {
    const CFIndex count = CFDictionaryGetCount(dict);
    if (count == 0) {
      line(depth, "<dict/>\n");
      return true;
    }
    std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
    CFDictionaryGetKeysAndValues(dict, keys.data(), values.data());
    std::vector<std::pair<std::string, const void*>> entries;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (CFGetTypeID(keys[i]) != CFStringGetTypeID()) return false;
      std::string key;
      if (!toUtf8(CFStringRef(keys[i]), key)) return false;
      entries.emplace_back(std::move(key), values[i]);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    line(depth, "<dict>\n");
    for (const auto& [key, value] : entries) {
      line(depth + 1, "<key>");
      appendEscaped(out_, key);
      out_ += "</key>\n";
      if (!write(value, depth + 1)) return false;
    }
    line(depth, "</dict>\n");
    return true;
  }

  std::string out_;
};

}  // namespace

extern "C" CFDataRef CFPropertyListCreateXMLData(CFAllocatorRef, CFPropertyListRef propertyList) {
  Writer writer;
  writer.text() =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
      "<plist version=\"1.0\">\n";
  if (!writer.write(propertyList, 0)) return nullptr;
  writer.text() += "</plist>\n";
  const std::string& text = writer.text();
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size()));
}

// XML property-list reader over libxml2: no network, no external DTD, no entity expansion.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Base64.h"
#include "CFObject.h"

namespace {

constexpr CFIndex kMaxInputBytes = 16 * 1024 * 1024;
constexpr int kMaxDepth = 256;

struct ParseError {
  std::string message;
};

bool is(const xmlNode* node, const char* name) {
  return std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

bool isBlank(const xmlChar* text) {
  for (const xmlChar* p = text; p != nullptr && *p != 0; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return false;
  }
  return true;
}

// The element children of a container; stray text or entity references are errors.
std::vector<const xmlNode*> elementChildren(const xmlNode* node) {
  std::vector<const xmlNode*> out;
  for (const xmlNode* c = node->children; c != nullptr; c = c->next) {
    switch (c->type) {
      case XML_ELEMENT_NODE:
        out.push_back(c);
        break;
      case XML_TEXT_NODE:
        if (!isBlank(c->content)) throw ParseError{"Unexpected text in <" + std::string((const char*)node->name) + ">"};
        break;
      case XML_COMMENT_NODE:
      case XML_PI_NODE:
        break;
      default:
        throw ParseError{"Unexpected content in <" + std::string((const char*)node->name) + ">"};
    }
  }
  return out;
}

// The text of a leaf element (text and CDATA only).
std::string leafText(const xmlNode* node) {
  std::string text;
  for (const xmlNode* c = node->children; c != nullptr; c = c->next) {
    if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
      if (c->content != nullptr) text += reinterpret_cast<const char*>(c->content);
    } else if (c->type != XML_COMMENT_NODE && c->type != XML_PI_NODE) {
      throw ParseError{"Unexpected content in <" + std::string((const char*)node->name) + ">"};
    }
  }
  return text;
}

std::string trimmed(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return std::string();
  const size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

CFStringRef makeString(const std::string& utf8) {
  CFStringRef s = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(utf8.data()), CFIndex(utf8.size()),
                                          kCFStringEncodingUTF8, false);
  if (s == nullptr) throw ParseError{"Invalid UTF-8 text"};
  return s;
}

CFNumberRef parseInteger(const std::string& raw) {
  const std::string t = trimmed(raw);
  if (t.empty()) throw ParseError{"Empty <integer>"};
  const char* begin = t.c_str();
  char* end = nullptr;
  errno = 0;
  const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
  const long long v = std::strtoll(begin, &end, hex ? 16 : 10);
  if (errno == ERANGE || end == begin || *end != '\0') throw ParseError{"Invalid <integer> \"" + t + "\""};
  const SInt64 value = v;
  return CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
}

CFNumberRef parseReal(const std::string& raw) {
  const std::string t = trimmed(raw);
  double d = 0;
  if (t == "nan") {
    d = std::nan("");
  } else if (t == "+infinity" || t == "infinity" || t == "inf" || t == "+inf") {
    d = HUGE_VAL;
  } else if (t == "-infinity" || t == "-inf") {
    d = -HUGE_VAL;
  } else {
    char* end = nullptr;
    d = std::strtod(t.c_str(), &end);
    if (t.empty() || end == t.c_str() || *end != '\0') throw ParseError{"Invalid <real> \"" + t + "\""};
  }
  return CFNumberCreate(nullptr, kCFNumberFloat64Type, &d);
}

// Holds one reference while a container is being filled.
struct Owned {
  explicit Owned(CFTypeRef r) : ref(r) {}
  ~Owned() {
    if (ref != nullptr) CFRelease(ref);
  }
  CFTypeRef release() {
    CFTypeRef r = ref;
    ref = nullptr;
    return r;
  }
  CFTypeRef ref;
};

CFTypeRef parseValue(const xmlNode* node, int depth) {
  if (depth > kMaxDepth) throw ParseError{"Property list nested too deeply"};
  if (is(node, "string")) return makeString(leafText(node));
  if (is(node, "integer")) return parseInteger(leafText(node));
  if (is(node, "real")) return parseReal(leafText(node));
  if (is(node, "true") || is(node, "false")) {
    if (!elementChildren(node).empty() || !trimmed(leafText(node)).empty()) throw ParseError{"Content in a boolean"};
    return is(node, "true") ? kCFBooleanTrue : kCFBooleanFalse;
  }
  if (is(node, "data")) {
    std::vector<UInt8> bytes;
    if (!symac::base64Decode(leafText(node), bytes)) throw ParseError{"Invalid base64 in <data>"};
    return CFDataCreate(nullptr, bytes.data(), CFIndex(bytes.size()));
  }
  if (is(node, "array")) {
    Owned array(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
    for (const xmlNode* child : elementChildren(node)) {
      Owned value(parseValue(child, depth + 1));
      CFArrayAppendValue(CFMutableArrayRef(array.ref), value.ref);
    }
    return array.release();
  }
  if (is(node, "dict")) {
    Owned dict(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    const std::vector<const xmlNode*> children = elementChildren(node);
    if (children.size() % 2 != 0) throw ParseError{"<dict> with a key and no value"};
    for (size_t i = 0; i < children.size(); i += 2) {
      if (!is(children[i], "key")) throw ParseError{"<dict> entry without <key>"};
      Owned key(makeString(leafText(children[i])));
      Owned value(parseValue(children[i + 1], depth + 1));
      CFDictionarySetValue(CFMutableDictionaryRef(dict.ref), key.ref, value.ref);
    }
    return dict.release();
  }
  throw ParseError{"Unknown element <" + std::string((const char*)node->name) + ">"};
}

struct DocumentCloser {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

CFTypeRef parseDocument(const UInt8* bytes, CFIndex length) {
  if (length >= 8 && std::memcmp(bytes, "bplist00", 8) == 0)
    throw ParseError{"Binary property lists are not supported"};
  if (length > kMaxInputBytes) throw ParseError{"Property list too large"};
  static std::once_flag initOnce;
  std::call_once(initOnce, [] { xmlInitParser(); });
  xmlResetLastError();
  std::unique_ptr<xmlDoc, DocumentCloser> doc(xmlReadMemory(reinterpret_cast<const char*>(bytes), int(length), nullptr,
                                                            nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR |
                                                                         XML_PARSE_NOWARNING));
  if (!doc) {
    const xmlError* error = xmlGetLastError();
    std::string message = (error != nullptr && error->message != nullptr) ? error->message : "Malformed XML";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    throw ParseError{message};
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || !is(root, "plist")) throw ParseError{"Root element is not <plist>"};
  const std::vector<const xmlNode*> children = elementChildren(root);
  if (children.size() != 1) throw ParseError{"<plist> must hold exactly one value"};
  return parseValue(children[0], 1);
}

}  // namespace

extern "C" CFPropertyListRef CFPropertyListCreateFromXMLData(CFAllocatorRef, CFDataRef xmlData, CFOptionFlags options,
                                                             CFStringRef* errorString) {
  if (errorString != nullptr) *errorString = nullptr;
  std::string failure;
  if (xmlData == nullptr || CFGetTypeID(xmlData) != CFDataGetTypeID()) {
    failure = "No data";
  } else if (options > kCFPropertyListMutableContainersAndLeaves) {
    failure = "Invalid mutability option";
  } else {
    try {
      return parseDocument(CFDataGetBytePtr(xmlData), CFDataGetLength(xmlData));
    } catch (const ParseError& e) {
      failure = e.message;
    } catch (const std::exception& e) {
      failure = e.what();
    }
  }
  if (errorString != nullptr) {
    *errorString = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(failure.data()),
                                           CFIndex(failure.size()), kCFStringEncodingUTF8, false);
    if (*errorString == nullptr) *errorString = CFStringCreateWithCString(nullptr, "Malformed XML", kCFStringEncodingASCII);
  }
  return nullptr;
}

#include "bankmap/xml_source_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vadro {
namespace {

enum class Encoding { Utf8, Utf16, SingleByte, Ascii, Unknown };

bool IsXmlSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF, only XML characters.
bool IsValidUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const unsigned char* end = p + text.size();
  while (p < end) {
    std::uint32_t code;
    int more;
    if (*p < 0x80) {
      code = *p;
      more = 0;
    } else if (*p >= 0xC2 && *p <= 0xDF) {
      code = *p & 0x1F;
      more = 1;
    } else if (*p >= 0xE0 && *p <= 0xEF) {
      code = *p & 0x0F;
      more = 2;
    } else if (*p >= 0xF0 && *p <= 0xF4) {
      code = *p & 0x07;
      more = 3;
    } else {
      return false;
    }
    ++p;
    if (end - p < more) return false;
    for (int i = 0; i < more; ++i, ++p) {
      if ((*p & 0xC0) != 0x80) return false;
      code = (code << 6) | (*p & 0x3F);
    }
    static const std::uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (code < kLeast[more] || !IsXmlCharacter(code)) return false;
  }
  return true;
}

// Single-byte text: every byte stands for one character; only the control characters are refused.
bool IsValidSingleByte(const std::string& text, bool asciiOnly) {
  return std::all_of(text.begin(), text.end(), [asciiOnly](char ch) {
    auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x20 && !IsXmlCharacter(byte)) return false;
    return !asciiOnly || byte < 0x80;
  });
}

bool Utf16ToUtf8(const unsigned char* data, std::size_t size, bool bigEndian, std::string& out) {
  if (size % 2 != 0) return false;
  out.reserve(size);
  for (std::size_t i = 0; i < size; i += 2) {
    std::uint32_t unit = bigEndian ? (data[i] << 8 | data[i + 1]) : (data[i + 1] << 8 | data[i]);
    std::uint32_t code = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 3 >= size) return false;
      i += 2;
      std::uint32_t low = bigEndian ? (data[i] << 8 | data[i + 1]) : (data[i + 1] << 8 | data[i]);
      if (low < 0xDC00 || low > 0xDFFF) return false;
      code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
    if (!IsXmlCharacter(code)) return false;
    AppendUtf8(code, out);
  }
  return true;
}

bool EqualsNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

bool StartsWithNoCase(const std::string& a, const char* prefix) {
  std::size_t n = std::strlen(prefix);
  return a.size() >= n && EqualsNoCase(a.substr(0, n), prefix);
}

// The encodings the Windows object reads from a file whose bytes are not UTF-16.
Encoding ByteEncodingNamed(const std::string& name) {
  if (EqualsNoCase(name, "utf-8") || EqualsNoCase(name, "utf8")) return Encoding::Utf8;
  if (EqualsNoCase(name, "us-ascii") || EqualsNoCase(name, "ascii")) return Encoding::Ascii;
  if (StartsWithNoCase(name, "windows-125") && name.size() == 12 && name[11] >= '0' && name[11] <= '8') {
    return Encoding::SingleByte;
  }
  if (StartsWithNoCase(name, "iso-8859-") && name.size() > 9 && name.size() <= 11) {
    std::string number = name.substr(9);
    if (number.find_first_not_of("0123456789") == std::string::npos) {
      int part = std::stoi(number);
      if (part >= 1 && part <= 16 && part != 12) return Encoding::SingleByte;
    }
  }
  return Encoding::Unknown;
}

// The pseudo-attributes of an XML declaration at the start of `text` (version, encoding);
// false when the declaration is malformed. `present` tells whether there is one.
struct Declaration {
  bool present = false;
  std::string version;
  std::string encoding;
};

bool ReadDeclaration(const std::string& text, Declaration& declaration) {
  if (text.compare(0, 5, "<?xml") != 0 || text.size() < 6 || !(IsXmlSpace(text[5]) || text[5] == '?'))
    return true;
  declaration.present = true;
  std::size_t end = text.find("?>");
  if (end == std::string::npos) return false;
  std::size_t i = 5;
  while (i < end) {
    while (i < end && IsXmlSpace(text[i])) ++i;
    if (i >= end) break;
    std::size_t nameStart = i;
    while (i < end && text[i] != '=' && !IsXmlSpace(text[i])) ++i;
    std::string name = text.substr(nameStart, i - nameStart);
    while (i < end && IsXmlSpace(text[i])) ++i;
    if (i >= end || text[i] != '=') return false;
    ++i;
    while (i < end && IsXmlSpace(text[i])) ++i;
    if (i >= end || (text[i] != '"' && text[i] != '\'')) return false;
    char quote = text[i++];
    std::size_t valueEnd = text.find(quote, i);
    if (valueEnd == std::string::npos || valueEnd > end) return false;
    std::string value = text.substr(i, valueEnd - i);
    i = valueEnd + 1;
    if (name == "version") {
      declaration.version = value;
    } else if (name == "encoding") {
      declaration.encoding = value;
    }
  }
  // Version 1.x, given first.
  const std::string& v = declaration.version;
  return v.size() >= 3 && v.compare(0, 2, "1.") == 0 &&
         v.find_first_not_of("0123456789", 2) == std::string::npos;
}

}  // namespace

bool ToXmlUtf8(const char* data, std::size_t size, std::string& utf8) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  utf8.clear();
  bool utf16 = false;
  if (size >= 4 && ((bytes[0] == 0xFF && bytes[1] == 0xFE && bytes[2] == 0 && bytes[3] == 0) ||
                    (bytes[0] == 0 && bytes[1] == 0 && bytes[2] == 0xFE && bytes[3] == 0xFF))) {
    return false;  // UTF-32
  }
  if (size >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
    if (!Utf16ToUtf8(bytes + 2, size - 2, bytes[0] == 0xFE, utf8)) return false;
    utf16 = true;
  } else if (size >= 2 && (bytes[0] == 0 || bytes[1] == 0)) {
    // UTF-16 without a byte-order mark is read only when it opens with a declaration.
    bool bigEndian = bytes[0] == 0;
    if (size < 10 || std::memcmp(bytes, "\0<\0?\0x\0m\0l" + (bigEndian ? 0 : 1), 9) != 0) {
      return false;
    }
    if (!Utf16ToUtf8(bytes, size, bigEndian, utf8)) return false;
    utf16 = true;
  } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    utf8.assign(data + 3, size - 3);
  } else {
    utf8.assign(data, size);
  }
  // A second byte-order mark is a character before the root, which the native parser would
  // drop as a mark.
  if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) return false;

  // A declaration stands at the very start or nowhere.
  std::size_t first = utf8.find_first_not_of(" \t\r\n");
  if (first != 0 && first != std::string::npos && utf8.compare(first, 5, "<?xml") == 0 &&
      first + 5 < utf8.size() && (IsXmlSpace(utf8[first + 5]) || utf8[first + 5] == '?')) {
    return false;
  }
  Declaration declaration;
  if (!ReadDeclaration(utf8, declaration)) return false;

  if (utf16) {
    // Already checked character by character; a declaration may name UTF-16 or UTF-8.
    const std::string& name = declaration.encoding;
    return name.empty() || StartsWithNoCase(name, "utf-16") || ByteEncodingNamed(name) == Encoding::Utf8;
  }
  Encoding encoding = declaration.encoding.empty() ? Encoding::Utf8 : ByteEncodingNamed(declaration.encoding);
  switch (encoding) {
    case Encoding::Utf8:
      return IsValidUtf8(utf8);
    case Encoding::Ascii:
      return IsValidSingleByte(utf8, true);
    case Encoding::SingleByte:
      return IsValidSingleByte(utf8, false);
    default:
      return false;
  }
}

bool IsXmlCharacter(std::uint32_t code) {
  if (code < 0x20) return code == 0x09 || code == 0x0A || code == 0x0D;
  if (code >= 0xD800 && code <= 0xDFFF) return false;
  return code != 0xFFFE && code != 0xFFFF && code <= 0x10FFFF;
}

void AppendUtf8(std::uint32_t code, std::string& out) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace vadro

#include "bankmap/xml_entity_table.h"

#include <cstdint>

#include "bankmap/xml_source_text.h"

namespace vadro {
namespace {

// Beyond these an entity is taken for an attack on memory, as the Windows object takes it.
constexpr int kMaxDepth = 40;
constexpr std::size_t kMaxExpandedSize = 1 << 20;

bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

bool IsNameCharacter(char ch) {
  auto byte = static_cast<unsigned char>(ch);
  return byte >= 0x80 || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
         ch == '_' || ch == ':' || ch == '-' || ch == '.';
}

// "&#...;" at `body` (the text between '&' and ';'); false when it is no valid character.
bool CharacterReference(const std::string& body, std::string& out) {
  bool hex = body.size() > 1 && body[1] == 'x';
  std::size_t start = hex ? 2 : 1;
  if (body.size() <= start || body.size() - start > 8) return false;
  std::uint32_t code = 0;
  for (std::size_t i = start; i < body.size(); ++i) {
    char ch = body[i];
    std::uint32_t digit;
    if (ch >= '0' && ch <= '9') {
      digit = static_cast<std::uint32_t>(ch - '0');
    } else if (hex && ch >= 'a' && ch <= 'f') {
      digit = static_cast<std::uint32_t>(ch - 'a' + 10);
    } else if (hex && ch >= 'A' && ch <= 'F') {
      digit = static_cast<std::uint32_t>(ch - 'A' + 10);
    } else {
      return false;
    }
    code = code * (hex ? 16 : 10) + digit;
  }
  if (!IsXmlCharacter(code)) return false;
  AppendUtf8(code, out);
  return true;
}

const char* Predefined(const std::string& name) {
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "amp") return "&";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  return nullptr;
}

// A small reader over the text of the internal subset.
class SubsetReader {
 public:
  explicit SubsetReader(const std::string& text, std::size_t at) : text(text), at(at) {}

  bool AtEnd() const { return at >= text.size(); }
  bool LooksAt(const char* word) const {
    return text.compare(at, std::char_traits<char>::length(word), word) == 0;
  }
  void Skip(std::size_t n) { at += n; }
  void SkipSpace() {
    while (at < text.size() && IsSpace(text[at])) ++at;
  }
  bool SkipPast(const char* end) {
    std::size_t found = text.find(end, at);
    if (found == std::string::npos) return false;
    at = found + std::char_traits<char>::length(end);
    return true;
  }
  // Up to and past the '>' that ends a declaration, stepping over quoted text.
  bool SkipDeclaration() {
    while (at < text.size()) {
      char ch = text[at++];
      if (ch == '>') return true;
      if (ch == '"' || ch == '\'') {
        std::size_t close = text.find(ch, at);
        if (close == std::string::npos) return false;
        at = close + 1;
      }
    }
    return false;
  }
  std::string Name() {
    std::size_t start = at;
    while (at < text.size() && IsNameCharacter(text[at])) ++at;
    return text.substr(start, at - start);
  }
  bool Quoted(std::string& value) {
    if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return false;
    char quote = text[at++];
    std::size_t close = text.find(quote, at);
    if (close == std::string::npos) return false;
    value = text.substr(at, close - at);
    at = close + 1;
    return true;
  }
  char Peek() const { return at < text.size() ? text[at] : '\0'; }

 private:
  const std::string& text;
  std::size_t at;
};

}  // namespace

bool XmlEntityTable::Read(const std::string& doctype) {
  std::size_t open = doctype.find('[');
  if (open == std::string::npos) return true;
  SubsetReader reader(doctype, open + 1);
  for (;;) {
    reader.SkipSpace();
    if (reader.AtEnd() || reader.Peek() == ']') return true;
    if (reader.LooksAt("<!--")) {
      if (!reader.SkipPast("-->")) return false;
    } else if (reader.LooksAt("<?")) {
      if (!reader.SkipPast("?>")) return false;
    } else if (reader.LooksAt("<!ENTITY")) {
      reader.Skip(8);
      reader.SkipSpace();
      bool parameter = reader.Peek() == '%';
      if (parameter) {
        reader.Skip(1);
        reader.SkipSpace();
      }
      std::string name = reader.Name();
      if (name.empty()) return false;
      reader.SkipSpace();
      Entity entity;
      if (reader.Peek() == '"' || reader.Peek() == '\'') {
        if (!reader.Quoted(entity.value)) return false;
        reader.SkipSpace();
        if (reader.Peek() != '>') return false;
        reader.Skip(1);
      } else {
        // SYSTEM or PUBLIC: its content lies elsewhere and is never read.
        entity.external = true;
        if (!reader.SkipDeclaration()) return false;
      }
      if (!parameter) entities.emplace(name, entity);
    } else if (reader.LooksAt("<!")) {
      if (!reader.SkipDeclaration()) return false;
    } else if (reader.Peek() == '%') {
      // A parameter entity reference between declarations.
      reader.Skip(1);
      if (reader.Name().empty() || reader.Peek() != ';') return false;
      reader.Skip(1);
    } else {
      return false;
    }
  }
}

bool XmlEntityTable::Expand(const std::string& raw, bool attributeValue, std::string& out) const {
  out.clear();
  // Text as long as the file holds it is fine; only what entities add is limited.
  return ExpandInto(raw, attributeValue, 0, raw.size() + kMaxExpandedSize, out);
}

bool XmlEntityTable::ExpandInto(const std::string& raw, bool attributeValue, int depth, std::size_t limit,
                                std::string& out) const {
  if (depth > kMaxDepth) return false;
  std::size_t i = 0;
  while (i < raw.size()) {
    char ch = raw[i];
    if (ch == '<' && attributeValue) return false;
    if (ch != '&') {
      out += ch;
      ++i;
      continue;
    }
    std::size_t end = raw.find(';', i + 1);
    if (end == std::string::npos) return false;
    std::string body = raw.substr(i + 1, end - i - 1);
    i = end + 1;
    if (!body.empty() && body[0] == '#') {
      std::size_t before = out.size();
      if (!CharacterReference(body, out)) return false;
      // In an entity's text a character reference is replaced when the entity is declared, so
      // a '<' made that way counts as written in the attribute value.
      if (attributeValue && depth > 0 && out.compare(before, out.size() - before, "<") == 0) return false;
      continue;
    }
    if (body.empty()) return false;
    for (char c : body) {
      if (!IsNameCharacter(c)) return false;
    }
    if (const char* text = Predefined(body)) {
      out += text;
      continue;
    }
    auto found = entities.find(body);
    if (found == entities.end()) return false;
    if (found->second.external) {
      if (attributeValue) return false;
      continue;
    }
    if (!ExpandInto(found->second.value, attributeValue, depth + 1, limit, out)) return false;
    if (out.size() > limit) return false;
  }
  return out.size() <= limit;
}

}  // namespace vadro

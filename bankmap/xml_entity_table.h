// The references in a document's text (&name; and &#number;) resolved the way the Windows document
// object resolves them: the five predefined entities, character references to characters XML
// allows, and the general entities declared in the document's internal DTD subset. The native
// parser would keep any other reference as literal text, so that a mistyped or undefined one gave
// a value instead of a refusal.
#pragma once
#include <map>
#include <string>

namespace vadro {

class XmlEntityTable {
 public:
  // Takes the entity declarations of a DOCTYPE (its text after "<!DOCTYPE", as the parser keeps
  // it). The first declaration of a name counts. False when a declaration is malformed.
  bool Read(const std::string& doctype);

  // Puts the text `raw` with its references replaced into `out`. False when a reference is
  // malformed, names an undeclared entity or a character XML does not allow, when entities
  // refer to themselves, nest too deeply or grow the text past a limit (a "billion laughs"
  // file), and, in an attribute value, for a '<' (written or from an entity) or a reference to
  // an external entity. In text content an external entity stays unresolved: it is never fetched.
  bool Expand(const std::string& raw, bool attributeValue, std::string& out) const;

 private:
  struct Entity {
    bool external = false;
    std::string value;
  };
  bool ExpandInto(const std::string& raw, bool attributeValue, int depth, std::size_t limit,
                  std::string& out) const;

  std::map<std::string, Entity> entities;
};

}  // namespace vadro

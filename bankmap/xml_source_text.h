// The bytes of an XML file checked the way the Windows document object checks them before it
// builds a tree, and handed on as UTF-8. The native parser takes any bytes; without this check a
// file that Windows refuses (bad encoding, a misplaced declaration) would be read there, with
// whatever values it happens to hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vadro {

// Puts into `utf8` the text of the file `data` (without its byte-order mark), converted from
// UTF-16 when it has a UTF-16 byte-order mark or opens with a declaration in UTF-16. False when
// the file would be refused:
// - a UTF-32 byte-order mark, UTF-16 text with neither a byte-order mark nor a declaration, a
//   second byte-order mark;
// - bytes that are not valid in the file's encoding, or characters that XML does not allow
//   (control characters other than tab, line feed and carriage return; U+FFFE, U+FFFF);
// - an XML declaration after white space, without a version 1.x, or naming an encoding that
//   the Windows object does not read or that does not fit the bytes.
bool ToXmlUtf8(const char* data, std::size_t size, std::string& utf8);

// True for a character that an XML document may hold.
bool IsXmlCharacter(std::uint32_t code);

// Appends the character `code` to `out` in UTF-8.
void AppendUtf8(std::uint32_t code, std::string& out);

}  // namespace vadro

#include <algorithm>
#include <clocale>
#include <iterator>
#include <string>

#include "tests/support/double_byte_encoding.h"

namespace vadro {

namespace {
std::string savedLocale;
}  // namespace

bool SelectDoubleByteEncoding(DoubleByteChar* sample) {
  const char* current = std::setlocale(LC_CTYPE, nullptr);
  savedLocale = current != nullptr ? current : "C";
  // The first of these locales that the system has becomes the current one.
  const char* const names[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8", "en_US.utf8"};
  const char* const* selected = std::find_if(std::begin(names), std::end(names), [](const char* name) {
    return std::setlocale(LC_CTYPE, name) != nullptr;
  });
  if (selected == std::end(names)) return false;
  *sample = {0xC3, 0xA9};  // U+00E9, e with acute accent
  return true;
}

void RestoreEncoding() { std::setlocale(LC_CTYPE, savedLocale.c_str()); }

}  // namespace vadro

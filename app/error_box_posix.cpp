#include <cstdio>

#include "app/error_box.h"

namespace vadro {

void ShowErrorBox(const char* text, const char* caption) { std::fprintf(stderr, "%s: %s\n", caption, text); }

}  // namespace vadro

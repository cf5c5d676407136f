#include "console/text_output.h"

#include <cstdarg>
#include <cstdio>

namespace vadro {

void WriteText(const char* text) {
  std::fputs(text, stdout);
  std::fflush(stdout);
}

void WriteFormatted(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

}  // namespace vadro

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "console/text_output.h"

namespace vadro {

void InitTextOutput() {
  // Text mode would turn the program's own "\r\n" into "\r\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace vadro

#include "console/text_output.h"

namespace vadro {

// POSIX streams never translate line ends; nothing to set.
void InitTextOutput() {}

}  // namespace vadro

#include "base/path_separator.h"

namespace vadro {

const char kPathSeparator = '\\';

}  // namespace vadro

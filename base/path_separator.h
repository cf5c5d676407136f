// The separator between the folders of a path: '\' on Windows, '/' on POSIX.
#pragma once

namespace vadro {

extern const char kPathSeparator;

}  // namespace vadro

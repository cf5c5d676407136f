// FileIsPresent: whether something (a file or a directory) exists at a path.
#pragma once

namespace vadro {

enum class FilePresence {
  Absent,
  Present,
  // The test could not be made: something may be there, so nothing may be created over it.
  Unknown,
};

FilePresence FileIsPresent(const char* path);

}  // namespace vadro

#include "base/module_directory.h"

#include <cstdint>

#include "base/module_path.h"
#include "base/path_separator.h"

namespace vadro {

bool FindModuleDirectory(HeapString& directory) {
  constexpr std::int32_t kMaxPath = 260;
  std::uint32_t length = GetModulePath(directory.GetBuffer(kMaxPath), kMaxPath);
  directory.ReleaseBuffer();
  std::int32_t separator = directory.ReverseFind(1, kPathSeparator, -1);
  directory.Assign(directory.Left(separator + 1));
  return length > 0 && length < static_cast<std::uint32_t>(kMaxPath);
}

}  // namespace vadro

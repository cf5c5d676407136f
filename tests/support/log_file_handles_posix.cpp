#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/log_file_handles.h"

namespace vadro {
namespace test_support {

std::string MakeScratchFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && tmp[0] != 0 ? tmp : "/tmp") + "/log_test_XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return std::string();
  return pattern + "/";
}

void RemoveScratchFolder(const std::string& folder) {
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

bool MakeFolder(const std::string& path) { return mkdir(path.c_str(), 0700) == 0; }

FileHandle OpenFileForWriting(const std::string& path) {
  int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  if (descriptor < 0) return nullptr;
  return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(descriptor) + 1);
}

bool FileExists(const std::string& path) {
  struct stat info = {};
  return stat(path.c_str(), &info) == 0;
}

FileHandle InvalidFileHandle() { return reinterpret_cast<FileHandle>(static_cast<std::intptr_t>(1000000)); }

}  // namespace test_support
}  // namespace vadro

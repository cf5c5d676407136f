#include "base/module_directory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "base/module_path.h"
#include "base/path_separator.h"

namespace vadro {

namespace {
// The path that GetModulePath reports in this test program; null: it cannot be read.
const char* modulePath = nullptr;
}  // namespace

// This test program's GetModulePath, in place of the system's (base_test calls no other), keeping
// its contract: the path cut and terminated when it does not fit, its length, `size` when it was
// cut, 0 when it cannot be read.
std::uint32_t GetModulePath(char* buffer, std::uint32_t size) {
  if (modulePath == nullptr) return 0;
  std::size_t length = std::strlen(modulePath);
  if (length >= size) {
    std::memcpy(buffer, modulePath, size - 1);
    buffer[size - 1] = '\0';
    return size;
  }
  std::memcpy(buffer, modulePath, length + 1);
  return static_cast<std::uint32_t>(length);
}

namespace {

// A path of `length` bytes: folders of ten bytes each, then the file name.
std::string PathOfLength(std::size_t length) {
  std::string path;
  while (path.size() + 10 < length) path += std::string(9, 'd') + kPathSeparator;
  return path + std::string(length - path.size(), 'f');
}

TEST(FindModuleDirectory, ThePathUpToItsLastSeparatorOnlyWhenItCameWhole) {
  const std::string s(1, kPathSeparator);
  const std::string usual = s + "opt" + s + "vadro" + s + "Vadro";
  const std::string longest = PathOfLength(259);
  struct Row {
    std::optional<std::string> path;       // none: it cannot be read
    std::optional<std::string> directory;  // none: not checked
    bool whole = true;
  };
  const Row rows[] = {
      {usual, s + "opt" + s + "vadro" + s, true},
      // No separator: the empty folder, the current directory.
      {"Vadro", "", true},
      {longest, longest.substr(0, longest.rfind(kPathSeparator) + 1), true},
      // 260 bytes and more: cut, and its last separator would name another folder.
      {PathOfLength(260), std::nullopt, false},
      {PathOfLength(279), std::nullopt, false},
      {std::nullopt, std::nullopt, false},
  };
  for (const Row& row : rows) {
    modulePath = row.path ? row.path->c_str() : nullptr;
    HeapString directory("left from before");
    EXPECT_EQ(FindModuleDirectory(directory), row.whole) << row.path.value_or("(unreadable)");
    if (row.directory) {
      EXPECT_STREQ(directory.Text(), row.directory->c_str());
    }
  }
  modulePath = nullptr;
}

}  // namespace
}  // namespace vadro

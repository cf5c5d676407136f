#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <system_error>

namespace vadro {

namespace {

// A new folder in `parent`; empty when none can be made there.
std::filesystem::path NewFolderIn(const std::filesystem::path& parent, const char* purpose) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::ostringstream name;
    name << "vadro-" << purpose << '-' << std::hex << random() << random();
    std::filesystem::path folder = parent / name.str();
    std::error_code error;
    // False without an error when the name is taken: another name is tried.
    if (std::filesystem::create_directory(folder, error)) return folder;
    if (error) return {};
  }
  return {};
}

}  // namespace

ScratchFolder::ScratchFolder(const char* purpose, bool inMemory) {
  if (inMemory) folder = NewFolderIn("/dev/shm", purpose);
  if (folder.empty()) folder = NewFolderIn(std::filesystem::temp_directory_path(), purpose);
  if (folder.empty()) {
    throw std::filesystem::filesystem_error("no scratch folder", std::filesystem::temp_directory_path(),
                                            std::make_error_code(std::errc::io_error));
  }
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

HeapString ScratchFolder::Directory() const {
  std::string text = folder.string();
  text += static_cast<char>(std::filesystem::path::preferred_separator);
  return HeapString(text.c_str());
}

std::string ScratchFolder::PathOf(const char* name) const { return (folder / name).string(); }

void ScratchFolder::Write(const char* name, const std::string& text) const {
  std::ofstream file;
  file.exceptions(std::ios::failbit | std::ios::badbit);
  file.open(folder / name, std::ios::binary);
  file << text;
  file.close();
}

std::string ScratchFolder::Read(const char* name) const {
  std::ifstream file(folder / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool ScratchFolder::Has(const char* name) const { return std::filesystem::exists(folder / name); }

void ScratchFolder::MakeFolder(const char* name) const { std::filesystem::create_directories(folder / name); }

std::vector<std::string> ScratchFolder::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vadro

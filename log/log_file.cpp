#include "log/log_file.h"
#include "base/path_separator.h"

namespace vadro {

namespace {
bool EndsWithSeparator(const HeapString& text) {
  return text.Length() > 0 && text.Text()[text.Length() - 1] == kPathSeparator;
}
}  // namespace

LogFile::LogFile(const char* directory, const char* fileName) {
  created = DateValue::Now();
  if (directory != nullptr) {
    path.Assign(directory);
    if (path.Length() > 0 && !EndsWithSeparator(path)) path.AppendChar(kPathSeparator);
  }
  if (fileName != nullptr) {
    path.Append(fileName);
  } else {
    path.Append(created.Format("%m-%d-%Y.log").Text());
  }
}

LogFile::~LogFile() {
  if (fileHandle != nullptr) CloseLogFile(fileHandle);
}

std::int32_t LogFile::SetDirectory(const char* directory) {
  HeapString moved(directory);
  // A text comparison, not one of folders: the path need only begin with these characters.
  if (moved.Length() > 0 && path.ComparePrefixNoCase(moved.Text(), moved.Length()) == 0) return 1;

  std::int32_t lastSeparator = path.ReverseFind(1, kPathSeparator, -1);
  if (moved.Length() > 0 && !EndsWithSeparator(moved)) moved.AppendChar(kPathSeparator);
  if (lastSeparator == -1) {
    moved.Append(path);
  } else {
    moved.Append(path.Right(path.Length() - lastSeparator - 1));
  }

  if (fileHandle == nullptr) {
    path.Assign(moved);
    return 1;
  }
  if (!CloseLogFile(fileHandle)) return 0;
  fileHandle = nullptr;
  // The file stays closed whether or not it can be moved.
  if (!MoveLogFile(path.Text(), moved.Text())) return 0;
  path.Assign(moved);
  return 1;
}

}  // namespace vadro

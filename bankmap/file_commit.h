// Putting a newly written file in place of an old one so that the old one is never left half
// overwritten: the new content goes to a file of its own beside the one it replaces, is forced to
// the disk, and then takes the old file's name in one step.
#pragma once
#include <cstdint>
#include <vector>

#include "base/heap_string.h"

namespace vadro {

// The file that a save replaces: where the name leads, through any links.
struct ReplacedFile {
  // The file itself, the final target of a link: the new file is made in its folder and takes
  // this name, so that a link stays a link and leads to the new content.
  HeapString path;
  // Whether a file is there now; when not, the new file is the first of that name.
  bool exists = false;
  // What the new file is given where the system has file modes: those of the file it replaces.
  std::uint32_t mode = 0;
};

enum class ReplaceCheck {
  kReplaceable,  // `file` says what is to be replaced, and it may be
  kRefused,      // nothing may be written: a file that nobody may write, a link that leads nowhere
                 // or round in a loop, or a name that cannot be looked at
};

// What a save of `path` replaces. A link is followed to its final target; a link that leads
// nowhere is refused rather than followed to create a file wherever it points.
ReplaceCheck FindReplacedFile(const char* path, ReplacedFile& file);

enum class NewFileResult {
  kCreated,    // the file is there, empty, made by this call and held open
  kNameTaken,  // something had that name already; it was neither opened nor changed
  kFailed,     // the file cannot be made (the folder cannot be written, or is missing)
};

// A file that this process has just made, written through the handle that made it, so that nothing
// put under its name meanwhile is ever written. Closed when the object goes.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile() { Close(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates the empty file `path`, which must not exist yet, with the mode of `replaced` where it
  // exists. Whatever already has that name (a file, a folder, a symbolic link, even one that
  // leads nowhere) is never opened, followed or changed.
  NewFileResult Create(const char* path, const ReplacedFile& replaced);
  // Writes all of `bytes`; false when it cannot.
  bool Write(const std::vector<char>& bytes) const;
  // Forces the content to the disk and closes the file; false when either fails.
  bool FlushAndClose();
  void Close();

 private:
  std::intptr_t handle = -1;
};

// A number that no other process running at the same time has.
std::uint32_t ProcessNumber();

// Gives the file `from` the name `to` in one step, replacing any file of that name, and makes
// the change durable. False when it cannot; both files are then as they were.
bool MoveFileOver(const char* from, const char* to);

// Removes the file at `path`, if there is one; a directory of that name is left alone.
void RemoveFileIfAny(const char* path);

}  // namespace vadro

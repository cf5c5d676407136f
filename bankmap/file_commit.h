// Putting a newly written file in place of an old one so that the old one is never left half
// overwritten: the new content goes to a file of its own, is forced to the disk, and then takes
// the old file's name in one step.
#pragma once
#include <cstdint>

namespace vadro {

enum class NewFileResult {
  kCreated,    // the file is there, empty, made by this call
  kNameTaken,  // something had that name already; it was neither opened nor changed
  kFailed,     // the file cannot be made (the folder cannot be written, or is missing)
};

// Creates the empty file `path`, which must not exist yet. Whatever already has that name (a file,
// a folder, a symbolic link, even one that leads nowhere) is never opened, followed or changed.
NewFileResult CreateNewFile(const char* path);

// A number that no other process running at the same time has.
std::uint32_t ProcessNumber();

// Forces the content of the file at `path` to the disk. False when it cannot.
bool FlushFileToDisk(const char* path);

// Gives the file `from` the name `to` in one step, replacing any file of that name, and makes
// the change durable. False when it cannot; both files are then as they were.
bool MoveFileOver(const char* from, const char* to);

// Removes the file at `path`, if there is one; a directory of that name is left alone.
void RemoveFileIfAny(const char* path);

}  // namespace vadro

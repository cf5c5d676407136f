// Test helper for the Windows build: opens a file without sharing it, so that no other process
// can read it, says "held", and keeps it so until its standard input ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hold_file PATH\n");
    return 2;
  }
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "hold_file: cannot open %s\n", argv[1]);
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  char buffer[64];
  while (std::fread(buffer, 1, sizeof(buffer), stdin) > 0) {
  }
  CloseHandle(file);
  return 0;
}

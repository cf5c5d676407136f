// Test helper for the Windows tests under Wine: keeps Wine's desktop in use until Wine's server
// ends it, and says "ready" once the desktop is up. Wine starts its desktop process (explorer.exe)
// for the first program that needs the desktop while none runs, and that process keeps the
// program's standard error: a test whose output pipe it holds counts as running until the desktop
// closes, a minute later or never. Started before the tests with its standard error on /dev/null,
// this helper is the program that starts the desktop, and it keeps the desktop open meanwhile.
#include <windows.h>

#include <cstdio>

int main() {
  if (GetDesktopWindow() == nullptr) return 1;
  std::printf("ready\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}

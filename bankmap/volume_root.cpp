#include "bankmap/volume_root.h"

#include "base/multibyte.h"

namespace vadro {
namespace {

bool IsSeparator(const char* p) { return *p == '\\' || *p == '/'; }

// The first separator at or after `p`, or the terminator. Multibyte characters are stepped over
// whole, so a trail byte that equals '\' is never taken for a separator.
const char* NextSeparator(const char* p) {
  while (*p != 0 && !IsSeparator(p)) p = NextChar(p);
  return p;
}

}  // namespace

HeapString VolumeRootOf(const char* fullPath) {
  HeapString path(fullPath);
  const char* start = path.Text();
  const char* p = start;
  while (*p != 0 && !(IsSeparator(p) && IsSeparator(p + 1))) p = NextChar(p);
  if (*p == 0) {
    // Drive root.
    const char* separator = NextSeparator(start);
    return path.Left(static_cast<std::int32_t>(separator - start) + (*separator != 0 ? 1 : 0));
  }
  const char* serverEnd = NextSeparator(p + 2);
  const char* shareEnd = *serverEnd != 0 ? NextSeparator(serverEnd + 1) : serverEnd;
  if (*shareEnd != 0) return path.Left(static_cast<std::int32_t>(shareEnd - start) + 1);
  HeapString root(path);
  root.AppendChar('\\');
  return root;
}

}  // namespace vadro

#include <windows.h>

#include "app/error_box.h"

namespace vadro {

void ShowErrorBox(const char* text, const char* caption) {
  MessageBoxA(nullptr, text, caption, MB_ICONERROR);
}

}  // namespace vadro

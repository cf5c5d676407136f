// The one fatal message the program shows outside the console text.
#pragma once

namespace vadro {

// A message box with the error icon (Windows); "Caption: text" on standard error elsewhere.
void ShowErrorBox(const char* text, const char* caption);

}  // namespace vadro

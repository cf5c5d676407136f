// Running text on standard output. Every call is flushed at its end, so the text has reached the
// console before anything reads the cursor position after it.
#pragma once

namespace vadro {

// Puts standard output into the mode in which "\r\n" reaches it unchanged (binary on Windows) and
// in which a write that cannot reach a reader fails quietly instead of ending the process.
void InitTextOutput();

// Writes `text` as it is.
void WriteText(const char* text);

// printf to standard output.
void WriteFormatted(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace vadro

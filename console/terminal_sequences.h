// The control sequences by which a terminal is made to show what a console shows: cells written
// without moving the cursor, the cursor placed, colour attributes, and the cursor position report.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/console_io.h"

namespace vadro {

// Asks the terminal where its cursor is; it answers with a cursor position report.
extern const char kCursorPositionRequest[];

// Finds a cursor position report ("ESC [ row ; column R", counted from 1) in `bytes`. On success
// gives the cursor (counted from 0) and the report's first byte and length.
bool FindCursorReport(const std::string& bytes, CellPosition& cursor, std::size_t& at, std::size_t& length);

// Moves the cursor to `position`.
std::string CursorMoveSequence(CellPosition position);

// Selects the colours of a console attribute (foreground in bits 0-3, background in bits 4-7,
// each with blue 1, green 2, red 4, intensity 8). The normal attribute (7) is the terminal's own
// default colours.
std::string AttributeSequence(std::uint16_t attribute);

// Writes `length` characters into the cells from `position` on, `width` cells to a row and `height`
// rows (0: unknown, not limited), on into the next row at the end of a row and never past the
// screen's last cell, then puts the cursor and colours back where they were. Code 0 shows as a blank.
// `colours`, when not empty, is the attribute sequence that the characters are written in. Empty
// when `position` lies outside the screen.
std::string CellWriteSequence(const char* text, std::int32_t length, CellPosition position,
                              std::int32_t width, std::int32_t height, const std::string& colours);

}  // namespace vadro

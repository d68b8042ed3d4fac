// The net file: the 16 control points as text, one "x y z" a line, row 0 columns 0 to 3
// first. formatNet and parseNet are pure (text in memory, no GL, no disk); readNetFile and
// saveNetFile are the thin disk ends.
#pragma once

#include <cstddef>

#include "app/state.h"

constexpr std::size_t kNetMaxBytes = 65536;     // larger files are refused unread
constexpr std::size_t kNetMaxLineBytes = 1024;  // longer lines are refused, newline not counted
constexpr std::size_t kNetTextCapacity = 2048;  // formatNet needs at most this, with the NUL
constexpr double kNetMaxMagnitude = 1e9;        // world units, largest coordinate a file may hold

// Where and why a net file was refused: line is 1-based as in the file (the line after the
// last for too few points), 0 when the whole file is at fault (not a regular file, can't be
// opened); what is a short phrase without the file name.
struct NetError {
  int line;
  char what[128];
};

// Writes a header comment and the 16 points, each number with 17 significant digits so that
// it reads back to the same double. Returns the length without the NUL, or 0 when capacity
// is too small (text is then unspecified).
std::size_t formatNet(const double grid[kGridSize][kGridSize][3], char* text, std::size_t capacity);

// Parses length bytes (no NUL needed). A UTF-8 byte-order mark first is skipped; lines end
// at LF, CRLF or a lone CR; a '#' starts a comment to the end of its line. Lines blank but
// for a comment are skipped; every other line must hold exactly three finite numbers of
// magnitude at most 1e9, separated by spaces or tabs, and there must be 16 such lines. A
// NUL or other control byte, a line over kNetMaxLineBytes or a text over kNetMaxBytes is
// refused. On success fills grid and returns true; otherwise fills error and leaves grid alone.
bool parseNet(const char* text, std::size_t length, double grid[kGridSize][kGridSize][3],
              NetError* error);

// Writes the grid in the layout of previous, a net text: its bytes with each point's numbers
// replaced (17 significant digits, one space apart), and everything else kept as it was:
// byte-order mark, comments, blank lines, indentation, line ends. Returns the length, or 0
// when previous is no net, capacity is too small or the text would not read back as grid.
std::size_t formatNetLike(const double grid[kGridSize][kGridSize][3], const char* previous,
                          std::size_t previousLength, char* text, std::size_t capacity);

// Reads the file at path whole, as readNetFile does, into text: 1 read (*length bytes, one
// more than kNetMaxBytes for a file too large), 0 no such file, -1 refused (error filled).
int readNetText(const char* path, char text[kNetMaxBytes + 1], std::size_t* length,
                NetError* error);

// Reads and parses the net file at path. Returns 1 when grid was filled, 0 when the file does
// not exist (grid untouched), -1 when it can't be read or parsed (error filled; a read error
// names the line it stopped on). Only reads: the file is never changed.
int readNetFile(const char* path, double grid[kGridSize][kGridSize][3], NetError* error);

// Saves the grid to path atomically, in the layout of the net the file holds now (see
// formatNetLike), or as formatNet writes it when it holds none; prints "saved PATH" on
// stdout, or "PATH: reason" on stderr and leaves the file as it was. Returns whether it saved.
bool saveNetFile(const char* path, const double grid[kGridSize][kGridSize][3]);

// The OBJ export's name beside the net file: the net file's extension (the last '.' of its
// last component, not a leading one) replaced by ".obj", or ".obj" appended when it has none
// or already ends in ".obj", so that an export never overwrites the net. False when the
// result does not fit capacity.
bool objPathForNet(const char* netPath, char* objPath, std::size_t capacity);

// Scratch files of the tests, at every layer: a fresh directory, whole-file reads and copies,
// listings, and the names and texts the tests write. No GL, no X.
#pragma once

#include <string>
#include <vector>

namespace support {

// Creates a fresh directory under $TMPDIR (or /tmp); empty string on failure.
std::string makeTempDir();
// Deletes a directory tree, not following symbolic links.
void removeTree(const std::string& path);
bool copyFile(const std::string& from, const std::string& to);
std::string readTextFile(const std::string& path);  // empty when missing

std::vector<std::string> listFiles(const std::string& dir);  // sorted names; empty when missing
long fileSize(const std::string& path);                      // -1 when missing
void sleepMs(int ms);

std::string frameFileName(int number);                      // "frame007.tga"
std::vector<std::string> frameNames(int first, int last);  // frameFileName of first..last
// `count` point lines of a net file, "x -5.25 1e2" with x = 0, 10, 20, ..., each ended by LF.
std::string pointLines(int count);

}  // namespace support

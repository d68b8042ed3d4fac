// What every file the user keeps shares: text built in memory, then put in place whole by a
// temporary beside the target that is synced and renamed over it, so that a crash at any
// moment leaves the old file or the new one, never a mix. POSIX only, no GL.
#pragma once

#include <cstddef>

// Appends printf-formatted text at text + *used, keeping the NUL; advances *used. False,
// leaving *used alone, when it does not fit capacity.
bool appendFormatted(char* text, std::size_t capacity, std::size_t* used, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// The temporary ".patchlume-XXXXXX" made in the directory of target (close-on-exec, mode 0600
// until the caller sets one), its name written to temporary, empty after a failure. Its
// descriptor, or -1 with errno (ENAMETOOLONG where the name does not fit capacity).
int makeTemporaryBeside(const char* target, char* temporary, std::size_t capacity);

// The mode a new file gets: 0666 less the umask, which is left as it was.
unsigned newFileMode();

// For an error with which the directory of path refuses a new file (EACCES, EPERM, EROFS):
// "cannot write in DIR: reason" into reason, and true. False, reason untouched, for any other.
bool tellDirectoryRefusal(const char* path, int error, char* reason, std::size_t capacity);

// Syncs the directory that holds path, so that a rename in it survives a crash. False with
// errno.
bool syncDirectoryOf(const char* path);

// Replaces path with the size bytes of data. Symbolic links are followed to the file they
// name (created there when missing), so a link stays a link. The data goes into a temporary
// ".patchlume-XXXXXX" in that file's directory, written, flushed and synced, given the mode
// (and, where allowed, the owner) of the file it replaces (or 0666 less the umask); it is then
// renamed over the file, or, for a file with several hard links, written into the file
// itself and removed; then the directory is synced. A file access(W_OK) calls read-only is
// refused ("file is read-only"), as are a name that is no regular file ("not a regular
// file") and a directory that refuses the temporary ("cannot write in DIR: reason");
// otherwise the reason is strerror's text. On failure the temporary is
// removed and path is as before (unless only the directory sync failed: the new file is then
// in place). Returns whether it succeeded.
bool replaceFile(const char* path, const char* data, std::size_t size, char* reason,
                 std::size_t reasonCapacity);

// replaceFile with the outcome told once: "VERB PATH" on stdout, flushed, or "PATH: reason"
// on stderr. Returns whether the file was written.
bool writeKeptFile(const char* path, const char* data, std::size_t size, const char* verb);

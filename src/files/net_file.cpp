// Net file text and its strict reader. Numbers are checked against a plain decimal grammar
// before strtod converts them, so hexadecimal, "nan(...)" and other strtod extras are refused;
// the program never sets a locale, so the decimal point is always '.'.
#include "files/net_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "files/kept_file.h"

namespace {

constexpr int kNetPoints = kGridSize * kGridSize;
constexpr std::size_t kQuotedToken = 16;  // bytes of a bad token shown in a message

enum NumberKind { kNumber, kNotANumber, kNotFinite, kTooLarge };

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool fail(NetError* error, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
bool fail(NetError* error, int line, const char* format, ...) {
  error->line = line;
  va_list args;
  va_start(args, format);
  std::vsnprintf(error->what, sizeof error->what, format, args);
  va_end(args);
  return false;
}

// A token as a message shows it: its first bytes, anything but printable ASCII as '?'.
void quote(const char* token, std::size_t n, char out[kQuotedToken + 4]) {
  std::size_t i = 0;
  for (; i < n && i < kQuotedToken; ++i) {
    const unsigned char c = static_cast<unsigned char>(token[i]);
    out[i] = c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?';
  }
  if (n > kQuotedToken) out[i++] = '.', out[i++] = '.', out[i++] = '.';
  out[i] = '\0';
}

// [+-]? (d+ (. d*)? | . d+) ([eE] [+-]? d+)?, the whole token.
bool isDecimal(const char* s, std::size_t n) {
  std::size_t i = 0, digits = 0;
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  for (; i < n && isDigit(s[i]); ++i) ++digits;
  if (i < n && s[i] == '.') {
    for (++i; i < n && isDigit(s[i]); ++i) ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t exponent = 0;
    for (; i < n && isDigit(s[i]); ++i) ++exponent;
    if (exponent == 0) return false;
  }
  return i == n;
}

NumberKind readNumber(const char* s, std::size_t n, double* value) {
  const std::size_t sign = n > 0 && (s[0] == '+' || s[0] == '-') ? 1 : 0;
  const char* word = s + sign;
  const std::size_t wordLength = n - sign;
  static const char* const kSpecials[] = {"nan", "inf", "infinity"};
  for (const char* special : kSpecials) {
    if (wordLength == std::strlen(special) && strncasecmp(word, special, wordLength) == 0) {
      return kNotFinite;
    }
  }
  if (!isDecimal(s, n)) return kNotANumber;
  char buffer[kNetMaxLineBytes + 1];
  std::memcpy(buffer, s, n);
  buffer[n] = '\0';
  // Overflow gives infinity, which the magnitude test refuses; underflow a tiny or zero value.
  *value = std::strtod(buffer, nullptr);
  return std::fabs(*value) <= kNetMaxMagnitude ? kNumber : kTooLarge;
}

// One point line: exactly three numbers. False with the error of the first thing wrong.
bool parsePoint(const char* s, std::size_t n, int line, double point[3], NetError* error) {
  int found = 0;
  std::size_t i = 0;
  char shown[kQuotedToken + 4];
  for (;;) {
    while (i < n && isBlank(s[i])) ++i;
    if (i == n) break;
    const std::size_t start = i;
    while (i < n && !isBlank(s[i])) ++i;
    double value = 0.0;
    const NumberKind kind = readNumber(s + start, i - start, &value);
    quote(s + start, i - start, shown);
    if (found >= 3) {
      if (kind == kNotANumber) return fail(error, line, "unexpected \"%s\" after 3 numbers", shown);
    } else if (kind == kNotANumber) {
      return fail(error, line, "expected a number, found \"%s\"", shown);
    } else if (kind == kNotFinite) {
      return fail(error, line, "\"%s\" is not a finite number", shown);
    } else if (kind == kTooLarge) {
      return fail(error, line, "\"%s\" is larger in magnitude than 1e9", shown);
    } else {
      point[found] = value;
    }
    ++found;
  }
  return found == 3 || fail(error, line, "expected 3 numbers, found %d", found);
}

// Bytes of the UTF-8 byte-order mark some editors put first: 3, or 0 without one.
std::size_t bomLength(const char* text, std::size_t length) {
  return length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0 ? 3 : 0;
}

// The line that begins at `at`: its text ends at *end, before its line end (LF, CRLF or a
// lone CR); returns where the next line begins.
std::size_t nextLine(const char* text, std::size_t length, std::size_t at, std::size_t* end) {
  while (at < length && text[at] != '\n' && text[at] != '\r') ++at;
  *end = at;
  if (at < length && text[at] == '\r') ++at;
  if (at < length && text[at] == '\n') ++at;
  return at;
}

// 1 + the line ends before byte `end`: the line that byte is on.
int lineAt(const char* text, std::size_t end) {
  int line = 1;
  for (std::size_t at = 0, stop = 0; (at = nextLine(text, end, at, &stop)) > stop;) ++line;
  return line;
}

// Where the three numbers of a point line end: past its third token, before what follows.
std::size_t pointEnd(const char* s, std::size_t n) {
  std::size_t i = 0;
  for (int token = 0; token < 3; ++token) {
    while (i < n && isBlank(s[i])) ++i;
    while (i < n && !isBlank(s[i]) && s[i] != '#') ++i;
  }
  return i;
}

}  // namespace

std::size_t formatNet(const double grid[kGridSize][kGridSize][3], char* text, std::size_t capacity) {
  std::size_t used = 0;
  if (!appendFormatted(text, capacity, &used,
                       "# Patchlume control net: 16 points x y z, row 0 columns 0 to 3 first\n")) {
    return 0;
  }
  for (int i = 0; i < kGridSize; ++i) {
    for (int j = 0; j < kGridSize; ++j) {
      const double* p = grid[i][j];
      if (!appendFormatted(text, capacity, &used, "%.17g %.17g %.17g\n", p[0], p[1], p[2])) {
        return 0;
      }
    }
  }
  return used;
}

bool parseNet(const char* text, std::size_t length, double grid[kGridSize][kGridSize][3],
              NetError* error) {
  if (length > kNetMaxBytes) {
    return fail(error, lineAt(text, kNetMaxBytes), "larger than %zu bytes", kNetMaxBytes);
  }
  double points[kNetPoints][3];
  int count = 0;
  int line = 0;
  for (std::size_t at = bomLength(text, length), end = 0; at < length;) {
    ++line;
    const std::size_t next = nextLine(text, length, at, &end);
    const char* s = text + at;
    std::size_t n = end - at;
    at = next;
    if (n > kNetMaxLineBytes) return fail(error, line, "line longer than %zu bytes", kNetMaxLineBytes);
    for (std::size_t i = 0; i < n; ++i) {
      const unsigned char c = static_cast<unsigned char>(s[i]);
      if ((c < 0x20 && c != '\t') || c == 0x7f) {
        return fail(error, line, "not a text file (byte 0x%02x)", c);
      }
    }
    const char* comment = static_cast<const char*>(std::memchr(s, '#', n));
    if (comment != nullptr) n = static_cast<std::size_t>(comment - s);
    std::size_t first = 0;
    while (first < n && isBlank(s[first])) ++first;
    if (first == n) continue;
    if (count == kNetPoints) return fail(error, line, "more than 16 points");
    if (!parsePoint(s, n, line, points[count], error)) return false;
    ++count;
  }
  if (count < kNetPoints) {
    return fail(error, lineAt(text, length), "expected 16 points, found %d", count);
  }
  for (int p = 0; p < kNetPoints; ++p) {
    for (int c = 0; c < 3; ++c) grid[p / kGridSize][p % kGridSize][c] = points[p][c];
  }
  return true;
}

int readNetText(const char* path, char text[kNetMaxBytes + 1], std::size_t* length,
                NetError* error) {
  // Non-blocking, so that a FIFO under the name can't hold up the start.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return 0;
    fail(error, 0, "cannot read: %s", std::strerror(errno));
    return -1;
  }
  struct stat info;
  bool ok = fstat(fd, &info) == 0 || fail(error, 0, "cannot read: %s", std::strerror(errno));
  if (ok && S_ISDIR(info.st_mode)) ok = fail(error, 0, "cannot read: %s", std::strerror(EISDIR));
  if (ok && !S_ISREG(info.st_mode)) ok = fail(error, 0, "not a regular file");
  // One byte more than a net file may have, so that parseNet sees an oversized one as such.
  *length = 0;
  while (ok && *length < kNetMaxBytes + 1) {
    const ssize_t n = read(fd, text + *length, kNetMaxBytes + 1 - *length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = fail(error, lineAt(text, *length), "cannot read: %s", std::strerror(errno));
    if (n <= 0) break;
    *length += static_cast<std::size_t>(n);
  }
  close(fd);
  return ok ? 1 : -1;
}

int readNetFile(const char* path, double grid[kGridSize][kGridSize][3], NetError* error) {
  char text[kNetMaxBytes + 1];
  std::size_t length = 0;
  const int found = readNetText(path, text, &length, error);
  if (found <= 0) return found;
  return parseNet(text, length, grid, error) ? 1 : -1;
}

std::size_t formatNetLike(const double grid[kGridSize][kGridSize][3], const char* previous,
                          std::size_t previousLength, char* text, std::size_t capacity) {
  double back[kGridSize][kGridSize][3];
  NetError error;
  if (!parseNet(previous, previousLength, back, &error)) return 0;
  std::size_t used = 0;
  int point = 0;
  std::size_t at = bomLength(previous, previousLength);
  bool ok = appendFormatted(text, capacity, &used, "%.*s", static_cast<int>(at), previous);
  for (std::size_t end = 0; ok && at < previousLength;) {
    const std::size_t next = nextLine(previous, previousLength, at, &end);
    const char* s = previous + at;
    const std::size_t n = end - at;
    std::size_t first = 0;
    while (first < n && isBlank(s[first])) ++first;
    if (first == n || s[first] == '#') {
      ok = appendFormatted(text, capacity, &used, "%.*s", static_cast<int>(next - at), s);
    } else {
      // The indentation, the numbers, then what followed them: a comment and the line end.
      const double* p = grid[point / kGridSize][point % kGridSize];
      const std::size_t rest = pointEnd(s, n);
      ok = appendFormatted(text, capacity, &used, "%.*s%.17g %.17g %.17g%.*s",
                           static_cast<int>(first), s, p[0], p[1], p[2],
                           static_cast<int>(next - at - rest), s + rest);
      ++point;
    }
    at = next;
  }
  // Longer numbers can push a line or the file past what a net may hold.
  ok = ok && parseNet(text, used, back, &error) && std::memcmp(back, grid, sizeof back) == 0;
  return ok ? used : 0;
}

bool saveNetFile(const char* path, const double grid[kGridSize][kGridSize][3]) {
  char previous[kNetMaxBytes + 1];
  std::size_t previousLength = 0;
  NetError error;
  char text[kNetMaxBytes + kNetTextCapacity];
  std::size_t length = 0;
  if (readNetText(path, previous, &previousLength, &error) > 0) {
    length = formatNetLike(grid, previous, previousLength, text, sizeof text);
  }
  if (length == 0) length = formatNet(grid, text, sizeof text);
  return writeKeptFile(path, text, length, "saved");
}

bool objPathForNet(const char* netPath, char* objPath, std::size_t capacity) {
  const char* slash = std::strrchr(netPath, '/');
  const char* base = slash != nullptr ? slash + 1 : netPath;
  const char* dot = std::strrchr(base, '.');
  const bool replace = dot != nullptr && dot != base && std::strcmp(dot, ".obj") != 0;
  const std::size_t stem = replace ? static_cast<std::size_t>(dot - netPath) : std::strlen(netPath);
  if (stem + sizeof ".obj" > capacity) return false;
  std::memcpy(objPath, netPath, stem);
  std::memcpy(objPath + stem, ".obj", sizeof ".obj");
  return true;
}

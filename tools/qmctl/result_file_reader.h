// Reading a result file of qmrecinfo back: "DVRID=", "ERRORCODE=", and for
// a list "LISTCOUNT=", the column line "IDX,CAMID,RECTYPE,START,END" and one
// row per interval. Used to draw the interval lane of a day from a result
// file alone.
#pragma once

#include <string>
#include <vector>

namespace qmctl {

// Largest result file read, in bytes: far beyond any day's list (a row is
// under 80 bytes, a day has at most some thousand intervals).
constexpr size_t kMaxResultFileBytes = 1 << 20;
// Longest START or END text qmrecinfo writes.
constexpr size_t kMaxResultTimeText = 128;

struct ResultRow {
  unsigned idx = 0;
  unsigned camera = 0;
  unsigned type = 0;
  std::string start;
  std::string end;
};

struct ResultFile {
  unsigned dvrid = 0;
  long error_code = 0;          // 0 for the list form
  std::vector<ResultRow> rows;  // as many as LISTCOUNT says
};

// Parses the text of a result file. Lines end in "\n" (a "\r" before it is
// tolerated); numbers are unsigned decimal up to 4294967295 (ERRORCODE may
// carry a "-"). The error form has exactly two lines; the list form has as
// many rows as LISTCOUNT, each of five fields with non-empty START and END of
// at most kMaxResultTimeText bytes. False with `error` naming the line
// ("line 5: ...") on any other text; `out` is then untouched.
bool ParseResultFile(const std::string& text, ResultFile* out, std::string* error);

// Reads and parses the file at `path` (at most kMaxResultFileBytes). False
// with `error` set when it cannot be read, is larger, or does not parse.
bool ReadResultFile(const std::string& path, ResultFile* out, std::string* error);

}  // namespace qmctl

#include "result_file_reader.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace qmctl {

namespace {

// Unsigned decimal of 1 to 10 digits, at most 4294967295.
bool ParseUnsigned(const std::string& text, unsigned long* out) {
  if (text.empty() || text.size() > 10) return false;
  unsigned long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value > 4294967295UL) return false;
  *out = value;
  return true;
}

// The value after `key` on a line "KEY=value".
bool KeyValue(const std::string& line, const std::string& key, unsigned long* out) {
  return line.compare(0, key.size(), key) == 0 && ParseUnsigned(line.substr(key.size()), out);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

bool Fail(std::string* error, size_t line, const std::string& what) {
  *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

bool ParseRow(const std::string& line, ResultRow* row) {
  std::vector<std::string> fields;
  size_t at = 0;
  for (size_t comma; (comma = line.find(',', at)) != std::string::npos; at = comma + 1)
    fields.push_back(line.substr(at, comma - at));
  fields.push_back(line.substr(at));
  unsigned long idx = 0;
  unsigned long camera = 0;
  unsigned long type = 0;
  if (fields.size() != 5 || !ParseUnsigned(fields[0], &idx) ||
      !ParseUnsigned(fields[1], &camera) || !ParseUnsigned(fields[2], &type))
    return false;
  for (size_t i = 3; i < 5; ++i)
    if (fields[i].empty() || fields[i].size() > kMaxResultTimeText) return false;
  row->idx = static_cast<unsigned>(idx);
  row->camera = static_cast<unsigned>(camera);
  row->type = static_cast<unsigned>(type);
  row->start = fields[3];
  row->end = fields[4];
  return true;
}

}  // namespace

bool ParseResultFile(const std::string& text, ResultFile* out, std::string* error) {
  const std::vector<std::string> lines = SplitLines(text);
  ResultFile file;
  unsigned long value = 0;
  if (lines.empty() || !KeyValue(lines[0], "DVRID=", &value))
    return Fail(error, 1, "expected DVRID=<number>");
  file.dvrid = static_cast<unsigned>(value);
  if (lines.size() < 2) return Fail(error, 2, "expected ERRORCODE=<number>");
  const bool negative = lines[1].compare(0, 11, "ERRORCODE=-") == 0;
  const std::string code = negative ? "ERRORCODE=" + lines[1].substr(11) : lines[1];
  if (!KeyValue(code, "ERRORCODE=", &value)) return Fail(error, 2, "expected ERRORCODE=<number>");
  file.error_code = negative ? -static_cast<long>(value) : static_cast<long>(value);
  if (file.error_code != 0) {
    if (lines.size() > 2) return Fail(error, 3, "unexpected line after an error code");
    *out = file;
    return true;
  }
  if (lines.size() < 3 || !KeyValue(lines[2], "LISTCOUNT=", &value))
    return Fail(error, 3, "expected LISTCOUNT=<number>");
  if (lines.size() < 4 || lines[3] != "IDX,CAMID,RECTYPE,START,END")
    return Fail(error, 4, "expected IDX,CAMID,RECTYPE,START,END");
  if (lines.size() - 4 != value)
    return Fail(error, 3, "LISTCOUNT=" + std::to_string(value) + " but " +
                              std::to_string(lines.size() - 4) + " rows follow");
  for (size_t i = 4; i < lines.size(); ++i) {
    ResultRow row;
    if (!ParseRow(lines[i], &row))
      return Fail(error, i + 1, "expected IDX,CAMID,RECTYPE,START,END values");
    file.rows.push_back(row);
  }
  *out = file;
  return true;
}

bool ReadResultFile(const std::string& path, ResultFile* out, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  std::string text(kMaxResultFileBytes + 1, '\0');
  in.read(&text[0], static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    *error = "cannot read " + path;
    return false;
  }
  text.resize(static_cast<size_t>(in.gcount()));
  if (text.size() > kMaxResultFileBytes) {
    *error = path + " is larger than " + std::to_string(kMaxResultFileBytes) + " bytes";
    return false;
  }
  std::string why;
  if (!ParseResultFile(text, out, &why)) {
    *error = path + " " + why;
    return false;
  }
  return true;
}

}  // namespace qmctl

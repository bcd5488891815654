// How qmctl prints its records: an aligned text view by default, or JSON
// Lines (one object per record) with --json. A command builds each record
// once as a JSON object and says which of its fields the text view shows.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qmctl {

// One record: snake_case keys named after the record's fields, in the order
// they were added.
using Record = nlohmann::ordered_json;

// A field of the text view: its label and the record key it shows.
struct Column {
  const char* label;
  const char* key;
};

// Writes records to a stream it does not own (stdout in the tool).
class RecordOutput {
 public:
  RecordOutput(bool json, std::FILE* out) : json_(json), out_(out) {}

  bool json() const { return json_; }

  // JSON: every record on its own line. Text: a table of the columns with a
  // header line (numbers right-aligned), also when there is no record.
  void Table(const std::vector<Column>& columns,
             const std::vector<Record>& records);
  // JSON: the record on one line. Text: one "label: value" line per column,
  // the values aligned.
  void Sheet(const std::vector<Column>& lines, const Record& record);
  // Text only: an empty line between two views of one command.
  void Separator();
  // Flushes the stream; false when anything could not be written.
  bool Finish();

 private:
  void WriteJson(const Record& record);

  bool json_;
  std::FILE* out_;
};

// The text a value shows in the text view: strings as they are (control
// characters as "?"), numbers in JSON form, flags as "yes"/"no", null and a
// missing key as "-".
std::string CellText(const Record& record, const char* key);

// The JSON line of a record, "\n" included. Text that is not valid UTF-8
// (a server's 8-bit names) has each bad byte replaced by U+FFFD instead of
// failing.
std::string JsonLine(const Record& record);

}  // namespace qmctl

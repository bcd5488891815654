// Aligned plain-text tables for qmctl's default output.
#pragma once

#include <string>
#include <vector>

namespace qmctl {

// A table of text cells: a header row and any number of rows, printed with
// columns separated by two spaces, each as wide as its widest cell (widths
// counted in characters of UTF-8 text). Right-aligned columns suit numbers.
// The last column is not padded, so no line ends in blanks.
class TextTable {
 public:
  // One label per column; every column left-aligned until SetRightAligned.
  explicit TextTable(std::vector<std::string> header);

  void SetRightAligned(size_t column, bool right);
  // A row of cells; missing cells print empty, cells beyond the header's
  // count are dropped.
  void AddRow(std::vector<std::string> cells);

  // The header and rows, one line each, every line ending in "\n".
  std::string Render() const;

 private:
  std::vector<std::string> header_;
  std::vector<bool> right_;
  std::vector<std::vector<std::string>> rows_;
};

// Width of UTF-8 text in characters (bytes that do not continue a sequence).
size_t DisplayWidth(const std::string& text);

// The text with every control character (bytes below 0x20 and 0x7F) shown
// as "?", so that a server's text cannot break a line or drive the
// terminal.
std::string Printable(const std::string& text);

}  // namespace qmctl

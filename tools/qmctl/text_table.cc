// Aligned plain-text tables.
#include "text_table.h"

#include <algorithm>

namespace qmctl {

namespace {

void Pad(std::string& line, size_t count) { line.append(count, ' '); }

}  // namespace

TextTable::TextTable(std::vector<std::string> header)
    : header_(std::move(header)), right_(header_.size(), false) {}

void TextTable::SetRightAligned(size_t column, bool right) {
  if (column < right_.size()) right_[column] = right;
}

void TextTable::AddRow(std::vector<std::string> cells) {
  cells.resize(header_.size());
  rows_.push_back(std::move(cells));
}

std::string TextTable::Render() const {
  std::vector<size_t> width(header_.size(), 0);
  for (size_t c = 0; c < header_.size(); ++c) width[c] = DisplayWidth(header_[c]);
  for (const std::vector<std::string>& row : rows_) {
    for (size_t c = 0; c < row.size(); ++c) {
      width[c] = std::max(width[c], DisplayWidth(row[c]));
    }
  }
  std::string out;
  auto render_row = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (size_t c = 0; c < cells.size(); ++c) {
      const size_t gap = width[c] - DisplayWidth(cells[c]);
      const bool last = c + 1 == cells.size();
      if (c > 0) line += "  ";
      if (right_[c]) Pad(line, gap);
      line += cells[c];
      if (!right_[c] && !last) Pad(line, gap);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
  };
  render_row(header_);
  for (const std::vector<std::string>& row : rows_) render_row(row);
  return out;
}

size_t DisplayWidth(const std::string& text) {
  size_t width = 0;
  for (unsigned char byte : text) {
    if ((byte & 0xC0) != 0x80) ++width;
  }
  return width;
}

std::string Printable(const std::string& text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '?';
  }
  return out;
}

}  // namespace qmctl

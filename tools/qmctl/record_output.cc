// Text and JSON Lines views of qmctl's records.
#include "record_output.h"

#include "text_table.h"

namespace qmctl {

std::string CellText(const Record& record, const char* key) {
  const auto it = record.find(key);
  if (it == record.end() || it->is_null()) return "-";
  if (it->is_string()) return Printable(it->get<std::string>());
  if (it->is_boolean()) return it->get<bool>() ? "yes" : "no";
  return it->dump();
}

std::string JsonLine(const Record& record) {
  return record.dump(-1, ' ', false, Record::error_handler_t::replace) + "\n";
}

void RecordOutput::WriteJson(const Record& record) {
  const std::string line = JsonLine(record);
  std::fwrite(line.data(), 1, line.size(), out_);
}

void RecordOutput::Table(const std::vector<Column>& columns,
                         const std::vector<Record>& records) {
  if (json_) {
    for (const Record& record : records) WriteJson(record);
    return;
  }
  std::vector<std::string> header;
  for (const Column& column : columns) header.push_back(column.label);
  TextTable table(header);
  for (size_t c = 0; c < columns.size(); ++c) {
    bool numbers = !records.empty();
    for (const Record& record : records) {
      const auto it = record.find(columns[c].key);
      numbers = numbers && it != record.end() && it->is_number();
    }
    table.SetRightAligned(c, numbers);
  }
  for (const Record& record : records) {
    std::vector<std::string> cells;
    for (const Column& column : columns) cells.push_back(CellText(record, column.key));
    table.AddRow(cells);
  }
  const std::string text = table.Render();
  std::fwrite(text.data(), 1, text.size(), out_);
}

void RecordOutput::Sheet(const std::vector<Column>& lines, const Record& record) {
  if (json_) {
    WriteJson(record);
    return;
  }
  size_t width = 0;
  for (const Column& line : lines) {
    width = std::max(width, DisplayWidth(line.label) + 1);
  }
  for (const Column& line : lines) {
    std::string label = std::string(line.label) + ":";
    label.append(width - DisplayWidth(label), ' ');
    std::string text = label + "  " + CellText(record, line.key);
    while (text.back() == ' ') text.pop_back();
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), out_);
  }
}

void RecordOutput::Separator() {
  if (!json_) std::fputc('\n', out_);
}

bool RecordOutput::Finish() {
  return std::fflush(out_) == 0 && !std::ferror(out_);
}

}  // namespace qmctl

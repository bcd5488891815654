#include "markup_depth.h"

#include <algorithm>

namespace qmsim {
namespace {

// Scans text from pos, counting newlines in *line, up to and including the
// first `end`; returns the position behind it (text.size() when missing).
std::size_t SkipPast(const std::string& text, std::size_t pos, const char* end, int* line) {
  const std::size_t found = text.find(end, pos);
  const std::size_t stop =
      found == std::string::npos ? text.size() : found + std::char_traits<char>::length(end);
  *line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(pos),
                                       text.begin() + static_cast<std::ptrdiff_t>(stop), '\n'));
  return stop;
}

// Scans a start tag from pos (just behind '<') to its '>', stepping over
// attribute values quoted after '='. Sets *empty for a tag closed by "/>".
std::size_t SkipStartTag(const std::string& text, std::size_t pos, int* line, bool* empty) {
  char last = '\0';  // last character outside quotes that is not blank
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '>') {
      *empty = last == '/';
      return pos + 1;
    }
    if (c == '\n') ++*line;
    if ((c == '"' || c == '\'') && last == '=') {
      const char quote[2] = {c, '\0'};
      pos = SkipPast(text, pos + 1, quote, line);
      last = c;
      continue;
    }
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') last = c;
    ++pos;
  }
  *empty = false;
  return pos;
}

bool StartsWith(const std::string& text, std::size_t pos, const char* prefix) {
  return text.compare(pos, std::char_traits<char>::length(prefix), prefix) == 0;
}

}  // namespace

bool NestingWithin(const std::string& text, int max_depth, int* line) {
  int depth = 0;
  int current = 1;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '\n') ++current;
    if (c != '<') {
      ++pos;
      continue;
    }
    if (StartsWith(text, pos, "<!--")) {
      pos = SkipPast(text, pos + 4, "-->", &current);
    } else if (StartsWith(text, pos, "<![CDATA[")) {
      pos = SkipPast(text, pos + 9, "]]>", &current);
    } else if (StartsWith(text, pos, "<!") || StartsWith(text, pos, "<?")) {
      pos = SkipPast(text, pos + 2, ">", &current);
    } else if (StartsWith(text, pos, "</")) {
      if (depth > 0) --depth;
      pos = SkipPast(text, pos + 2, ">", &current);
    } else {
      const int tag_line = current;
      bool empty = false;
      pos = SkipStartTag(text, pos + 1, &current, &empty);
      if (!empty && ++depth > max_depth) {
        *line = tag_line;
        return false;
      }
    }
  }
  return true;
}

}  // namespace qmsim

#include "sql_query.h"

#include <vector>

namespace qmsim {
namespace {

// The query texts with %d for a number and %s for a file name, as the client
// writes them.
const char kServerQuery[] = "SELECT * FROM dbo.Servers WHERE serverID=%d";
const char kCameraTableQuery[] =
    "SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=%d";
const char kFileRangeQuery[] =
    "SELECT * FROM dbo.videofiles WHERE CameraID = (SELECT CameraID FROM dbo.VideoFiles "
    "WHERE FileName = '%s') AND FileID >= (SELECT FileID FROM dbo.VideoFiles WHERE "
    "FileName = '%s') AND FileID <= (SELECT FileID FROM dbo.VideoFiles WHERE FileName = "
    "'%s') ORDER BY StartTime";
const char kCameraFilesQuery[] =
    "SELECT StartTime, EndTime, TotalFrames, FileName, RecordingType, Flag, "
    "FileManipulationStatus FROM dbo.VideoFiles WHERE CameraID=%d AND StartTime >= (SELECT "
    "StartTime FROM dbo.VideoFiles WHERE FileName='%s') INTERSECT SELECT StartTime, EndTime, "
    "TotalFrames, FileName, RecordingType, Flag, FileManipulationStatus FROM dbo.VideoFiles "
    "WHERE CameraID=%d AND EndTime <= (SELECT EndTime FROM dbo.VideoFiles WHERE "
    "FileName='%s')";

// Reads a signed decimal of 1 to 10 digits at text[*pos].
bool ReadNumber(const std::string& text, std::size_t* pos, std::int64_t* out) {
  std::size_t p = *pos;
  const bool negative = p < text.size() && text[p] == '-';
  if (negative) ++p;
  std::int64_t v = 0;
  std::size_t digits = 0;
  while (p < text.size() && text[p] >= '0' && text[p] <= '9' && digits < 10) {
    v = v * 10 + (text[p++] - '0');
    ++digits;
  }
  if (digits == 0 || (p < text.size() && text[p] >= '0' && text[p] <= '9')) return false;
  *out = negative ? -v : v;
  *pos = p;
  return true;
}

// Matches text against pattern; the values of its slots go to numbers and
// names in order. A %s slot takes everything up to the next occurrence of
// the literal text that follows it in the pattern.
bool Match(const std::string& text, const std::string& pattern,
           std::vector<std::int64_t>* numbers, std::vector<std::string>* names) {
  numbers->clear();
  names->clear();
  std::size_t t = 0, p = 0;
  while (p < pattern.size()) {
    const std::size_t slot = pattern.find('%', p);
    const std::string literal = pattern.substr(p, slot == std::string::npos ? slot : slot - p);
    if (text.compare(t, literal.size(), literal) != 0) return false;
    t += literal.size();
    if (slot == std::string::npos) break;
    const char kind = pattern[slot + 1];
    p = slot + 2;
    if (kind == 'd') {
      std::int64_t v = 0;
      if (!ReadNumber(text, &t, &v)) return false;
      numbers->push_back(v);
      continue;
    }
    const std::size_t next = pattern.find('%', p);
    const std::string follow = pattern.substr(p, next == std::string::npos ? next : next - p);
    const std::size_t end = text.find(follow, t);
    if (end == std::string::npos) return false;
    names->push_back(text.substr(t, end - t));
    t = end;
  }
  return t == text.size();
}

}  // namespace

SqlQuery RecognizeQuery(const std::string& text) {
  SqlQuery q;
  std::vector<std::int64_t> numbers;
  std::vector<std::string> names;
  if (Match(text, kServerQuery, &numbers, &names)) {
    q.kind = QueryKind::kServer;
    q.number = numbers[0];
  } else if (Match(text, kCameraTableQuery, &numbers, &names)) {
    q.kind = QueryKind::kCameraTable;
    q.number = numbers[0];
  } else if (Match(text, kFileRangeQuery, &numbers, &names)) {
    q.kind = QueryKind::kFileRange;
    q.first = names[0];
    q.middle = names[1];
    q.last = names[2];
  } else if (Match(text, kCameraFilesQuery, &numbers, &names)) {
    q.kind = QueryKind::kCameraFiles;
    q.number = numbers[0];
    q.first = names[0];
    q.number2 = numbers[1];
    q.last = names[1];
  }
  return q;
}

const char* QueryKindName(QueryKind kind) {
  switch (kind) {
    case QueryKind::kServer: return "servers";
    case QueryKind::kCameraTable: return "camera-table";
    case QueryKind::kFileRange: return "file-range";
    case QueryKind::kCameraFiles: return "camera-files";
    case QueryKind::kUnknown: break;
  }
  return "unknown";
}

}  // namespace qmsim

// Recognising the query texts of the query command (50014). The server runs
// them against its database; the stand-in knows the four the client sends
// and answers them from the scenario. Texts arrive with their entities
// decoded (' > < as such).
#ifndef QMSIM_SQL_QUERY_H
#define QMSIM_SQL_QUERY_H

#include <cstdint>
#include <string>

namespace qmsim {

enum class QueryKind {
  kUnknown,
  kServer,       // SELECT * FROM dbo.Servers WHERE serverID=N
  kCameraTable,  // SELECT cameraID, cameraName, IPAddress FROM dbo.Cameras WHERE serverID=N
  kFileRange,    // SELECT * FROM dbo.videofiles ... FileID between two files' ids
  kCameraFiles,  // SELECT StartTime, ... WHERE CameraID=N ... INTERSECT ...
};

// A recognised query and the values in it.
struct SqlQuery {
  QueryKind kind = QueryKind::kUnknown;
  std::int64_t number = 0;   // server ID (kServer, kCameraTable) or camera ID (kCameraFiles)
  std::int64_t number2 = 0;  // kCameraFiles: the camera ID of the second half
  std::string first;         // first file name (kFileRange, kCameraFiles)
  std::string middle;        // kFileRange: the file name of the lower FileID bound
  std::string last;          // last file name (kFileRange, kCameraFiles)
};

// The kind and values of a query text; kUnknown for any other text. Numbers
// are signed decimals of at most 10 digits; names run up to the quote
// closing them.
SqlQuery RecognizeQuery(const std::string& text);

// Short name of a kind for log lines: "servers", "camera-table",
// "file-range", "camera-files", "unknown".
const char* QueryKindName(QueryKind kind);

}  // namespace qmsim

#endif  // QMSIM_SQL_QUERY_H

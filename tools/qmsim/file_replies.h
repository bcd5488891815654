// Replies about recorded files: the two file-list queries of the query
// command (50014), the binary file header with its frame table (321) and the
// binary directory listing (413).
#ifndef QMSIM_FILE_REPLIES_H
#define QMSIM_FILE_REPLIES_H

#include <string>

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"
#include "sql_query.h"

namespace qmsim {

// The files of the first file's camera whose FileID lies from the middle
// file's to the last file's, all columns, ordered by start time. A name that
// no file has gives no row (as a database would: the sub-query is NULL).
void AnswerFileRange(const SqlQuery& query, const ServerState& state, SimReply* reply);

// The camera's files starting at or after the first file's start and ending
// at or before the last file's end, seven columns, ordered by start time;
// no row when a name is unknown or empty, or the two camera IDs differ.
void AnswerCameraFiles(const SqlQuery& query, const ServerState& state, SimReply* reply);

// True when a server at `version` writes value D1 in a format kind 1
// header: versions above 5.5.24.2, compared number by number (missing or
// unreadable numbers count as 0).
bool WritesKindOneD1(const std::string& version);

// The binary header of the file named in StrParameter1 for the camera in
// IntParameter1 (layout in scenarios/README.md); four zero bytes when the
// camera has no such file, the tag alone for a file without a header.
void AnswerFileHeader(const SimRequest& request, const ServerState& state, SimReply* reply);

// The binary listing of the camera's recording folder (IntParameter2) when
// StrParameter1 is its path (data path, "\", address, "-", ID), else a
// listing of no entry.
void AnswerDirectory(const SimRequest& request, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_FILE_REPLIES_H

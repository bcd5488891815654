// qmctl files, frames and dirs: the recorded files of a period with their
// headers, the frame times of one file, and a camera's recording folders.
#include <boost/make_shared.hpp>
#include <memory>

#include "command_set.h"
#include "failure.h"
#include "protocol/text_convert.h"
#include "record_fields.h"
#include "services/exchange.h"
#include "services/stream_format.h"

namespace qmctl {

namespace {

// Directory-listing reply: the entry count lies at bytes 22 to 25.
constexpr size_t kListingCountAt = 22;
// A file-header reply of at most this many bytes holds no header.
constexpr size_t kNoHeaderBytes = 3;
// A frame table starts with the 64-bit time of the first frame.
constexpr size_t kFrameTableBaseBytes = 8;

struct FilesOptions {
  unsigned int camera = 0;
  std::string from;
  std::string to;
};

struct FileOptions {
  unsigned int camera = 0;
  std::string file;
};

// A --from/--to check: the value must be YYYY-MM-DDTHH:MM:SS.
CLI::Validator WallClockText() {
  return CLI::Validator(
      [](std::string& text) {
        WallClock time;
        return ParseWallClock(text, time)
                   ? std::string()
                   : "\"" + text + "\" is not a date-time YYYY-MM-DDTHH:MM:SS";
      },
      "");
}

// Frames whose time a frame table holds: the base time (8 bytes) for the
// first, then 4 bytes for each further one.
unsigned long long FramesInTable(const QM::VideoFile& file) {
  const size_t bytes = file.FrameTable.size();
  return bytes < kFrameTableBaseBytes ? 0 : 1 + (bytes - kFrameTableBaseBytes) / 4;
}

// The first and last frame times of a file's frame table (null when the
// table does not hold them).
void AddFrameTimes(Record& record, const QM::VideoFile& file) {
  const unsigned int frames = file.TotalFrames;
  AddTicks(record, "first_frame_time", frames > 0 ? file.timestamp(0) : 0);
  AddTicks(record, "last_frame_time", frames > 0 ? file.timestamp(frames - 1) : 0);
  record["frame_table_bytes"] = file.FrameTable.size();
}

// One end of a span: its file, frame and time, under keys of `prefix`.
void AddSpanEnd(Record& record, const std::string& prefix, const std::wstring& file,
                int frame, int year, int month, int day, int hour, int minute,
                int second) {
  record[prefix + "_file"] = Narrow(file);
  record[prefix + "_frame"] = frame;
  WallClock time;
  time.year = year, time.month = month, time.day = day;
  time.hour = hour, time.minute = minute, time.second = second;
  AddWallClock(record, prefix + "_time", time);
}

Record SpanRecord(const QM::VideoSpan& s) {
  Record record;
  record["record"] = "span";
  AddSpanEnd(record, "starting", s.StartingFile, s.StartingFrame, s.StartingYear,
             s.StartingMonth, s.StartingDay, s.StartingHour, s.StartingMinute,
             s.StartingSecond);
  AddSpanEnd(record, "ending", s.EndingFile, s.EndingFrame, s.EndingYear,
             s.EndingMonth, s.EndingDay, s.EndingHour, s.EndingMinute, s.EndingSecond);
  return record;
}

Record FileRecord(const QM::VideoFile& file) {
  Record record;
  record["record"] = "file";
  record["file_name"] = Narrow(file.FileName);
  record["file_id"] = file.FileID;
  record["total_frames"] = file.TotalFrames;
  AddTicks(record, "start_time", file.StartTime);
  AddTicks(record, "end_time", file.EndTime);
  record["recording_type"] = file.RecordingType;
  record["flag"] = file.Flag;
  record["file_manipulation_status"] = file.FileManipulationStatus;
  record["header_tag"] = file.HeaderTag;
  record["header_value4"] = file.HeaderValue4;
  record["rate"] = file.Rate;
  record["header_value16"] = file.HeaderValue16;
  record["format_value"] = file.FormatValue;
  record["format_kind"] = file.FormatKind;
  record["extension_word"] = file.ExtensionWord;
  record["value_a"] = file.ValueA;
  record["value_b"] = file.ValueB;
  record["value_c"] = file.ValueC;
  record["value_d1"] = file.ValueD1;
  record["value_d2"] = file.ValueD2;
  record["value_e1"] = file.ValueE1;
  record["value_e2"] = file.ValueE2;
  record["value_e3"] = file.ValueE3;
  record["value_e4"] = file.ValueE4;
  record["value_e5"] = file.ValueE5;
  record["value_f1"] = file.ValueF1;
  record["value_f2"] = file.ValueF2;
  record["value_f3"] = file.ValueF3;
  record["value_f4"] = file.ValueF4;
  record["value_g"] = file.ValueG;
  AddFrameTimes(record, file);
  return record;
}

int RunFiles(CommandContext& context, const FilesOptions& options) {
  Session& session = context.session;
  WallClock from, to;
  ParseWallClock(options.from, from);  // checked by the option's validator
  ParseWallClock(options.to, to);
  const std::string period = "camera " + std::to_string(options.camera) + " from " +
                             options.from + " to " + options.to;
  // The operation replaces each output only when its reply arrived, so
  // outputs still holding these objects tell which exchange went unanswered.
  const QM::VideoSpanPtr span_unset = boost::make_shared<QM::VideoSpan>();
  const QM::VideoFileList files_unset =
      boost::make_shared<std::vector<QM::VideoFilePtr>>();
  QM::VideoSpanPtr span = span_unset;
  QM::VideoFileList files = files_unset;
  const bool headers_read = session.server().GetVideoFilesMetadata(
      options.camera, from.year, from.month, from.day, from.hour, from.minute,
      from.second, to.year, to.month, to.day, to.hour, to.minute, to.second, span,
      files);
  if (span == span_unset) {
    return Fail(qmtools::kExitUnreachable, "no answer from " + session.where() +
                                               " to the request for the span of " +
                                               period);
  }
  if (!span) {
    return Fail(qmtools::kExitBadReply, "the answer of " + session.where() +
                                            " to the request for the span of " +
                                            period + " is not a readable XML document");
  }
  if (span->StartingFile.empty() && span->EndingFile.empty()) {
    return Fail(qmtools::kExitNotFound, "no recording of " + period);
  }
  if (files == files_unset) {
    return Fail(qmtools::kExitUnreachable, "no answer from " + session.where() +
                                               " to the request for the file list of " +
                                               period);
  }
  if (files->empty()) {
    // An unreadable list and an empty one both come back empty: reading the
    // list once more tells them apart.
    QM::ByteVector reply;
    const int status = session.ExchangeXml(
        session.server().ReqPkt_GetVideoFiles(span->StartingFile, span->EndingFile),
        "the file list of " + period, reply);
    if (status != qmtools::kExitOk) return status;
    return Fail(qmtools::kExitNotFound, "the file list of " + period + " is empty");
  }
  if (!headers_read) {
    return Fail(qmtools::kExitUnreachable, "no answer from " + session.where() +
                                               " to any file header request of " +
                                               period);
  }
  context.out.Sheet({{"starting file", "starting_file"},
                     {"starting frame", "starting_frame"},
                     {"starting time", "starting_time"},
                     {"ending file", "ending_file"},
                     {"ending frame", "ending_frame"},
                     {"ending time", "ending_time"}},
                    SpanRecord(*span));
  context.out.Separator();
  std::vector<Record> records;
  for (const QM::VideoFilePtr& file : *files) {
    if (file) records.push_back(FileRecord(*file));
  }
  context.out.Table({{"FILE ID", "file_id"},
                     {"START", "start_time"},
                     {"END", "end_time"},
                     {"FRAMES", "total_frames"},
                     {"TYPE", "recording_type"},
                     {"RATE", "rate"},
                     {"KIND", "format_kind"},
                     {"FIRST FRAME", "first_frame_time"},
                     {"LAST FRAME", "last_frame_time"},
                     {"NAME", "file_name"}},
                    records);
  return qmtools::kExitOk;
}

int RunFrames(CommandContext& context, const FileOptions& options) {
  Session& session = context.session;
  const std::string what = "the header of file " + options.file + " of camera " +
                           std::to_string(options.camera);
  QM::ByteVector reply;
  const int status = session.ExchangeAnswered(
      session.server().ReqPkt_GetVideoFileMetadata(string_to_wstring(options.file),
                                                   options.camera),
      what, reply);
  if (status != qmtools::kExitOk) return status;
  const unsigned int tag = reply.size() > kNoHeaderBytes ? QM::ReadLE32(reply.data()) : 0;
  if (tag == 0 || tag == 0xFFFF) {
    return Fail(qmtools::kExitNotFound, "the server " + session.where() +
                                            " has no header for file " + options.file +
                                            " of camera " + std::to_string(options.camera));
  }
  QM::VideoFilePtr file = boost::make_shared<QM::VideoFile>(string_to_wstring(options.file));
  session.server().RspPkt_ParseVideoFileMetadata(reply.data(), QM::ReplyLength(reply), file);
  if (file->HeaderTag == 0) {
    return Fail(qmtools::kExitBadReply, "the answer of " + session.where() + " with " +
                                            what + " is shorter than the header it announces");
  }
  const unsigned long long held = FramesInTable(*file);
  if (held < file->TotalFrames) {
    return Fail(qmtools::kExitBadReply, "the frame table of " + what + " holds " +
                                            std::to_string(held) + " of its " +
                                            std::to_string(file->TotalFrames) + " frames");
  }
  Record record;
  record["file_name"] = options.file;
  record["camera_id"] = options.camera;
  record["total_frames"] = file->TotalFrames;
  record["rate"] = file->Rate;
  record["format_kind"] = file->FormatKind;
  AddFrameTimes(record, *file);
  context.out.Sheet({{"file", "file_name"},
                     {"camera ID", "camera_id"},
                     {"frames", "total_frames"},
                     {"rate", "rate"},
                     {"first frame", "first_frame_time"},
                     {"last frame", "last_frame_time"},
                     {"frame table bytes", "frame_table_bytes"}},
                    record);
  return qmtools::kExitOk;
}

int RunDirs(CommandContext& context, unsigned int camera_id) {
  Session& session = context.session;
  int status = session.LoadDataPath();
  if (status == qmtools::kExitOk) status = session.LoadDirectory();
  QM::CameraPtr camera;
  if (status == qmtools::kExitOk) status = session.DirectoryCamera(camera_id, camera);
  if (status != qmtools::kExitOk) return status;
  const std::string what = "the recording folders of camera " + std::to_string(camera_id);
  QM::ByteVector reply;
  status = session.ExchangeAnswered(session.server().ReqPkt_GetCameraVideoFileDirectories(camera),
                            what, reply);
  if (status != qmtools::kExitOk) return status;
  const std::vector<std::wstring> names = QM::Server::RspPkt_ParseCameraVideoFileDirectories(
      reply.data(), QM::ReplyLength(reply));
  const unsigned long long announced = reply.size() >= kListingCountAt + 4
                                           ? QM::ReadLE32(reply.data() + kListingCountAt)
                                           : 0;
  if (reply.size() < kListingCountAt + 4) {
    return Fail(qmtools::kExitBadReply, "the listing of " + session.where() + " with " +
                                            what + " is shorter than its header (" +
                                            std::to_string(reply.size()) + " bytes)");
  }
  if (names.size() < announced) {
    return Fail(qmtools::kExitBadReply,
                "the listing of " + session.where() + " with " + what + " is cut short (" +
                    std::to_string(names.size()) + " of " + std::to_string(announced) +
                    " entries)");
  }
  std::vector<Record> records;
  for (const std::wstring& name : names) {
    Record record;
    record["camera_id"] = camera_id;
    record["name"] = Narrow(name);
    records.push_back(record);
  }
  context.out.Table({{"FOLDER", "name"}}, records);
  return qmtools::kExitOk;
}

}  // namespace

void AddFileCommands(CommandSet& commands) {
  auto files = std::make_shared<FilesOptions>();
  CLI::App* sub = commands.Add(
      "files", "the span of recordings of a period and its files with their headers",
      [files](CommandContext& context) { return RunFiles(context, *files); });
  sub->add_option("CAMID", files->camera, "camera ID")->required()->type_name("");
  sub->add_option("--from", files->from, "start of the period, YYYY-MM-DDTHH:MM:SS")
      ->required()->type_name("TIME")->check(WallClockText());
  sub->add_option("--to", files->to, "end of the period, YYYY-MM-DDTHH:MM:SS")
      ->required()->type_name("TIME")->check(WallClockText());
  sub->footer(
      "Times are the server's wall clock. Output: the span (first and last file,\n"
      "frame and time), then one record per file. No span (no starting or ending\n"
      "file) or an empty file list exits with status 7, an unreadable list with 6.\n"
      "A file whose header did not arrive keeps its list fields (header_tag 0),\n"
      "but no header at all exits with status 4.");

  auto frames = std::make_shared<FileOptions>();
  sub = commands.Add(
      "frames", "the frame count of a recorded file and the times of its first and last frames",
      [frames](CommandContext& context) { return RunFrames(context, *frames); });
  sub->add_option("CAMID", frames->camera, "camera ID")->required()->type_name("");
  sub->add_option("FILE", frames->file, "file name, as files lists it")
      ->required()->type_name("");
  sub->footer(
      "A header reply of 3 bytes or fewer, or with tag 0 or 65535, means the server\n"
      "has no header for the file (exit status 7); a header or frame table\n"
      "shorter than it announces exits with status 6.");

  auto dirs = std::make_shared<unsigned int>(0);
  sub = commands.Add("dirs", "the recording folders of a camera",
                     [dirs](CommandContext& context) { return RunDirs(context, *dirs); });
  sub->add_option("CAMID", *dirs, "camera ID")->required()->type_name("");
  sub->footer(
      "The folder listed is the server's local data path, \"\\\", the camera's IP\n"
      "address, \"-\" and its ID. A listing holding fewer entries than it\n"
      "announces exits with status 6.");
}

}  // namespace qmctl

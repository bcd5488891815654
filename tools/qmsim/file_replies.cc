#include "file_replies.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <vector>

#include "binary_writer.h"
#include "dotnet_xml.h"
#include "file_frames.h"

namespace qmsim {
namespace {

// Pointers into the scenario, ordered by start time (scenario order for
// equal starts).
using FileRefs = std::vector<const SimFile*>;

void SortByStart(FileRefs* files) {
  std::stable_sort(files->begin(), files->end(),
                   [](const SimFile* a, const SimFile* b) { return a->start < b->start; });
}

std::string Number(std::uint32_t value) { return std::to_string(value); }

// Reads up to four dot-separated numbers; missing ones stay 0.
void VersionNumbers(const std::string& version, long numbers[4]) {
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    numbers[i] = 0;
    std::size_t digits = 0;
    while (pos < version.size() && version[pos] >= '0' && version[pos] <= '9' && digits < 9) {
      numbers[i] = numbers[i] * 10 + (version[pos++] - '0');
      ++digits;
    }
    if (pos >= version.size() || version[pos] != '.') {
      for (int j = i + 1; j < 4; ++j) numbers[j] = 0;
      return;
    }
    ++pos;
  }
}

}  // namespace

void AnswerFileRange(const SqlQuery& query, const ServerState& state, SimReply* reply) {
  const SimCamera* camera = nullptr;
  const SimFile* first = state.scenario.FindFileByName(query.first, &camera);
  const SimFile* low = state.scenario.FindFileByName(query.middle, nullptr);
  const SimFile* high = state.scenario.FindFileByName(query.last, nullptr);
  FileRefs files;
  if (first && low && high) {
    for (const SimFile& f : camera->files) {
      if (f.id >= low->id && f.id <= high->id) files.push_back(&f);
    }
  }
  SortByStart(&files);
  std::vector<std::vector<std::string>> rows;
  for (const SimFile* f : files) {
    rows.push_back({Number(f->id), Number(camera->id), f->name, f->start_text, f->end_text,
                    Number(f->frames), Number(f->type), Number(f->flag), Number(f->status)});
  }
  reply->bytes = DataSetDocument({{"FileID", "xs:int"},
                                  {"CameraID", "xs:int"},
                                  {"FileName", "xs:string"},
                                  {"StartTime", "xs:dateTime"},
                                  {"EndTime", "xs:dateTime"},
                                  {"TotalFrames", "xs:int"},
                                  {"RecordingType", "xs:int"},
                                  {"Flag", "xs:int"},
                                  {"FileManipulationStatus", "xs:int"}},
                                 rows);
  reply->is_dataset = true;
  reply->outcome = (first && low && high ? "ok " : "unknown-file ") +
                   std::to_string(rows.size()) + " rows";
}

void AnswerCameraFiles(const SqlQuery& query, const ServerState& state, SimReply* reply) {
  const SimCamera* camera = query.number == query.number2 ? state.scenario.FindCamera(query.number)
                                                          : nullptr;
  const SimFile* first = state.scenario.FindFileByName(query.first, nullptr);
  const SimFile* last = state.scenario.FindFileByName(query.last, nullptr);
  FileRefs files;
  if (camera && first && last) {
    for (const SimFile& f : camera->files) {
      if (f.start >= first->start && f.end <= last->end) files.push_back(&f);
    }
  }
  SortByStart(&files);
  std::vector<std::vector<std::string>> rows;
  for (const SimFile* f : files) {
    rows.push_back({f->start_text, f->end_text, Number(f->frames), f->name, Number(f->type),
                    Number(f->flag), Number(f->status)});
  }
  reply->bytes = DataSetDocument({{"StartTime", "xs:dateTime"},
                                  {"EndTime", "xs:dateTime"},
                                  {"TotalFrames", "xs:int"},
                                  {"FileName", "xs:string"},
                                  {"RecordingType", "xs:int"},
                                  {"Flag", "xs:int"},
                                  {"FileManipulationStatus", "xs:int"}},
                                 rows);
  reply->is_dataset = true;
  reply->outcome = std::string(!camera ? "unknown-camera " : !first || !last ? "unknown-file "
                                                                            : "ok ") +
                   std::to_string(rows.size()) + " rows";
}

bool WritesKindOneD1(const std::string& version) {
  long v[4];
  VersionNumbers(version, v);
  const long threshold[4] = {5, 5, 24, 2};
  for (int i = 0; i < 4; ++i) {
    if (v[i] != threshold[i]) return v[i] > threshold[i];
  }
  return false;
}

void AnswerFileHeader(const SimRequest& request, const ServerState& state, SimReply* reply) {
  const SimCamera* camera = nullptr;
  const SimFile* file = state.scenario.FindFileByName(request.str1, &camera);
  BinaryWriter out;
  if (!file || !request.camera_valid ||
      camera->id != static_cast<std::uint32_t>(request.camera)) {
    out.U32(0);
    reply->bytes = out.Bytes();
    reply->outcome = "unknown-file";
    return;
  }
  out.U32(file->header_tag);
  if (file->header_tag == 0 || file->header_tag == 0xFFFF) {
    reply->bytes = out.Bytes();
    reply->outcome = "ok no header (tag " + Number(file->header_tag) + ")";
    return;
  }
  const SimCameraInfo& c = camera->info;
  out.U32(file->id);
  out.U32(FileRate(*file));
  out.U32(file->frames);
  out.U32(camera->id);
  out.U32(file->kind << 24 | file->format);
  const bool d1 = file->kind != 1 || WritesKindOneD1(state.scenario.server.version);
  if (file->kind == 1) out.U32(c.width), out.U32(c.height), out.U32(c.fps);
  if (file->kind >= 1 && file->kind <= 7 && d1) out.U32(camera->id);
  if (file->kind == 2) out.U32(file->type);
  out.U16(file->extension);
  if (file->extension != 0) {
    for (std::uint32_t i = 1; i <= 5; ++i) out.U16(0x1100 + i);
    for (std::uint32_t i = 1; i <= 4; ++i) out.U32(0x22000000 + i);
    out.U16(0x3300);
  }
  const std::size_t header = out.Bytes().size();
  out.U64(FrameTicks(*file, 0));
  for (std::uint32_t i = 1; i < file->frames; ++i) out.U32(FrameOffsetMs(*file, i));
  reply->bytes = out.Bytes();
  reply->outcome = "ok kind " + Number(file->kind) + (file->kind == 1 && !d1 ? " without D1" : "") +
                   ", " + std::to_string(header) + "-byte header, " + Number(file->frames) +
                   " frames";
}

void AnswerDirectory(const SimRequest& request, const ServerState& state, SimReply* reply) {
  const SimCamera* camera =
      request.int2_valid ? state.scenario.FindCamera(request.int2) : nullptr;
  std::vector<std::string> names;
  if (!camera) {
    reply->outcome = "unknown-camera";
  } else if (request.str1 != state.scenario.server.data_path + "\\" + camera->info.address +
                                 "-" + Number(camera->id)) {
    reply->outcome = "unknown-path";
  } else if (!camera->folders.empty()) {
    names = camera->folders;
    reply->outcome = "ok";
  } else {
    std::set<std::string> dates;
    for (const SimFile& f : camera->files) dates.insert(f.start_text.substr(0, 10));
    names.assign(dates.begin(), dates.end());
    reply->outcome = "ok";
  }
  BinaryWriter out;
  out.Zeros(22);
  out.U32(static_cast<std::uint32_t>(names.size()));
  for (const std::string& name : names) {
    out.U8(0x10);  // a folder
    out.Zeros(4);
    out.U8(static_cast<std::uint8_t>(name.size()));  // at most 255 (scenario bound)
    out.Text(name);
  }
  reply->bytes = out.Bytes();
  reply->outcome += " " + std::to_string(names.size()) + " entries";
}

}  // namespace qmsim

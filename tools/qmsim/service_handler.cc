#include "service_handler.h"

#include "dotnet_xml.h"
#include "file_replies.h"
#include "media_frames.h"
#include "ptz_replies.h"
#include "server_replies.h"
#include "span_reply.h"
#include "sql_query.h"

namespace qmsim {
namespace {

struct NamedCommand {
  std::uint32_t code;
  const char* name;
};

const NamedCommand kServiceCommands[] = {
    {kCmdPtz, "ptz"},
    {kCmdLiveStream, "live-stream"},
    {kCmdMediaFrames, "media-frames"},
    {kCmdFileHeader, "file-header"},
    {kCmdDirectory, "directory"},
    {kCmdServerStatus, "server-status"},
    {kCmdVideoSpan, "video-span"},
    {kCmdCameraMetadata, "camera-metadata"},
    {kCmdServerMetadata, "server-metadata"},
    {kCmdCamerasMetadata, "cameras-metadata"},
    {kCmdPresets, "presets"},
    {kCmdPlaybackStream, "playback-stream"},
    {kCmdQuery, "server-query"},
};

std::string Int(bool valid, std::int32_t value) { return valid ? std::to_string(value) : "?"; }

std::string Quoted(const std::string& text) { return "\"" + LogSafe(text, 128) + "\""; }

std::string DescribeQuery(const SimRequest& request) {
  const SqlQuery q = RecognizeQuery(request.str1);
  const std::string kind = QueryKindName(q.kind);
  switch (q.kind) {
    case QueryKind::kServer:
    case QueryKind::kCameraTable:
      return kind + " server=" + std::to_string(q.number);
    case QueryKind::kFileRange:
      return kind + " first=" + Quoted(q.first) + " last=" + Quoted(q.last);
    case QueryKind::kCameraFiles:
      return kind + " camera=" + std::to_string(q.number) + " first=" + Quoted(q.first) +
             " last=" + Quoted(q.last);
    case QueryKind::kUnknown:
      break;
  }
  return kind + " " + Quoted(request.str1);
}

void AnswerQuery(const SimRequest& request, const ServerState& state, SimReply* reply) {
  const SqlQuery q = RecognizeQuery(request.str1);
  switch (q.kind) {
    case QueryKind::kServer: return AnswerServerTable(q, state, reply);
    case QueryKind::kCameraTable: return AnswerCameraTable(q, state, reply);
    case QueryKind::kFileRange: return AnswerFileRange(q, state, reply);
    case QueryKind::kCameraFiles: return AnswerCameraFiles(q, state, reply);
    case QueryKind::kUnknown: break;
  }
  reply->bytes = DataSetDocument({}, {});
  reply->is_dataset = true;
  reply->outcome = "unknown-query 0 rows";
}

}  // namespace

const char* ServiceCommandName(std::uint32_t code) {
  for (const NamedCommand& c : kServiceCommands) {
    if (c.code == code) return c.name;
  }
  return nullptr;
}

std::string DescribeServiceParameters(const SimRequest& r) {
  std::string camera = "camera=" + Int(r.camera_valid, r.camera);
  switch (r.command) {
    case kCmdPtz:
      if (r.str1 == "PTZAction") {
        return camera + " PTZAction " + LogSafe(r.str2) + " value=" + Int(r.int2_valid, r.int2);
      }
      return camera + " " + LogSafe(r.str1) + " " + LogSafe(r.str2) + " name=" + Quoted(r.str3);
    case kCmdLiveStream: {
      std::string items;
      for (const std::int64_t item : r.stream_items) {
        items += (items.empty() ? "" : ",") + (item < 0 ? "?" : std::to_string(item));
      }
      return "cameras=" + (items.empty() ? std::string("none") : items);
    }
    case kCmdMediaFrames:
      return "camera=" + LogSafe(r.str3) + " file=" + Quoted(r.str1) + " values=" +
             Int(r.camera_valid, r.camera) + "," + Int(r.int2_valid, r.int2) + "," +
             Int(r.int3_valid, r.int3);
    case kCmdFileHeader:
      return camera + " file=" + Quoted(r.str1);
    case kCmdDirectory:
      return "camera=" + Int(r.int2_valid, r.int2) + " flag=" + Int(r.camera_valid, r.camera) +
             " path=" + Quoted(r.str1);
    case kCmdVideoSpan:
      return "server=" + Int(r.camera_valid, r.camera) + " camera=" + Int(r.int2_valid, r.int2) +
             " ticks=" + LogSafe(r.str1) + ".." + LogSafe(r.str2);
    case kCmdCameraMetadata:
    case kCmdPresets:
      return camera;
    case kCmdPlaybackStream:
      return camera + " file=" + Int(r.int2_valid, r.int2) + " mode=" + LogSafe(r.str3);
    case kCmdQuery:
      return DescribeQuery(r);
    default:
      return std::string();
  }
}

void AnswerServiceRequest(const SimRequest& request, const ServerState& state, SimReply* reply) {
  switch (request.command) {
    case kCmdPtz: return AnswerPtzCommand(request, state, reply);
    case kCmdMediaFrames: return AnswerMediaFrames(request, state, reply);
    case kCmdFileHeader: return AnswerFileHeader(request, state, reply);
    case kCmdDirectory: return AnswerDirectory(request, state, reply);
    case kCmdServerStatus: return AnswerServerStatus(state, reply);
    case kCmdVideoSpan: return AnswerVideoSpan(request, state, reply);
    case kCmdCameraMetadata: return AnswerCameraMetadata(request, state, reply);
    case kCmdServerMetadata: return AnswerServerMetadata(state, reply);
    case kCmdCamerasMetadata: return AnswerCamerasMetadata(state, reply);
    case kCmdPresets: return AnswerPresets(request, state, reply);
    case kCmdQuery: return AnswerQuery(request, state, reply);
    default:
      reply->outcome = "not served";
  }
}

}  // namespace qmsim

#include "server_replies.h"

#include "dotnet_xml.h"

namespace qmsim {
namespace {

std::string Flag(bool value) { return value ? "true" : "false"; }

std::string Number(std::uint32_t value) { return std::to_string(value); }

// The fields of a CameraInformation object, in the server's order.
Fields CameraInformation(const SimCamera& camera) {
  const SimCameraInfo& c = camera.info;
  return {{"ID", Number(camera.id)},       {"Name", c.name},
          {"IPAddress", c.address},        {"FrameWidth", Number(c.width)},
          {"FrameHeight", Number(c.height)}, {"FrameRate", Number(c.fps)},
          {"FourCC", c.fourcc},            {"IsPTZ", Flag(c.ptz)},
          {"Disabled", Flag(c.disabled)},  {"Active", Flag(c.active)},
          {"Description", c.description},  {"UserName", c.user},
          {"Password", c.password},        {"HTTPPort", Number(c.http_port)},
          {"RTSPPort", Number(c.rtsp_port)}, {"RTPPort", Number(c.rtp_port)},
          {"RTCPPort", Number(c.rtcp_port)}};
}

// True (outcome set) when the query names this server.
bool ForThisServer(const SqlQuery& query, const ServerState& state, SimReply* reply) {
  const bool ours = query.number == static_cast<std::int64_t>(state.scenario.server.id);
  reply->outcome = ours ? "ok" : "unknown-server";
  return ours;
}

}  // namespace

void AnswerServerMetadata(const ServerState& state, SimReply* reply) {
  const SimServer& s = state.scenario.server;
  reply->bytes = ObjectDocument("ServerInformation",
                                {{"ID", Number(s.id)},
                                 {"Name", s.name},
                                 {"Version", s.version},
                                 {"LivePort", Number(state.live_port)},
                                 {"TimeZoneInfo", s.time_zone}});
  reply->outcome = "ok version " + LogSafe(s.version) + ", live port " +
                   Number(state.live_port);
}

void AnswerServerStatus(const ServerState& state, SimReply* reply) {
  FieldList cameras{"Cameras", "CameraStatus", {}};
  for (const auto& entry : state.scenario.cameras) {
    const SimCameraInfo& c = entry.second.info;
    cameras.entries.push_back({{"ID", Number(entry.first)},
                               {"CameraName", c.name},
                               {"FrameWidth", Number(c.width)},
                               {"FrameHeight", Number(c.height)},
                               {"FrameRate", Number(c.fps)},
                               {"FourCC", c.fourcc},
                               {"NetworkBandwidth", Number(c.bandwidth)},
                               {"Disabled", Flag(c.disabled)},
                               {"LastRecievedTime", c.last_received}});
  }
  reply->bytes = ObjectDocument("HealthMonitorStatus",
                                {{"ServerID", Number(state.scenario.server.id)}}, &cameras);
  reply->outcome = "ok " + std::to_string(cameras.entries.size()) + " cameras";
}

void AnswerCameraMetadata(const SimRequest& request, const ServerState& state,
                          SimReply* reply) {
  const SimCamera* camera =
      request.camera_valid ? state.scenario.FindCamera(request.camera) : nullptr;
  if (!camera) {
    reply->bytes = NilDocument("CameraInformation");
    reply->outcome = "unknown-camera";
    return;
  }
  reply->bytes = ObjectDocument("CameraInformation", CameraInformation(*camera));
  reply->outcome = "ok";
}

void AnswerCamerasMetadata(const ServerState& state, SimReply* reply) {
  FieldList list{"", "CameraInformation", {}};
  for (const auto& entry : state.scenario.cameras) {
    list.entries.push_back(CameraInformation(entry.second));
  }
  reply->bytes = ObjectDocument("ArrayOfCameraInformation", {}, &list);
  reply->outcome = "ok " + std::to_string(list.entries.size()) + " cameras";
}

void AnswerServerTable(const SqlQuery& query, const ServerState& state, SimReply* reply) {
  std::vector<std::vector<std::string>> rows;
  const SimServer& s = state.scenario.server;
  if (ForThisServer(query, state, reply)) {
    rows.push_back({Number(s.id), s.name, s.version, s.data_path, Number(state.live_port),
                    s.time_zone});
  }
  reply->bytes = DataSetDocument({{"ServerID", "xs:int"},
                                  {"ServerName", "xs:string"},
                                  {"Version", "xs:string"},
                                  {"LocalDataPath", "xs:string"},
                                  {"LivePort", "xs:int"},
                                  {"TimeZoneInfo", "xs:string"}},
                                 rows);
  reply->is_dataset = true;
  reply->outcome += " " + std::to_string(rows.size()) + " rows";
}

void AnswerCameraTable(const SqlQuery& query, const ServerState& state, SimReply* reply) {
  std::vector<std::vector<std::string>> rows;
  if (ForThisServer(query, state, reply)) {
    for (const auto& entry : state.scenario.cameras) {
      rows.push_back({Number(entry.first), entry.second.info.name, entry.second.info.address});
    }
  }
  reply->bytes = DataSetDocument(
      {{"cameraID", "xs:int"}, {"cameraName", "xs:string"}, {"IPAddress", "xs:string"}}, rows);
  reply->is_dataset = true;
  reply->outcome += " " + std::to_string(rows.size()) + " rows";
}

}  // namespace qmsim

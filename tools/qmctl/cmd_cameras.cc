// qmctl cameras, status and camera ID: the camera directory, the health of
// each camera, and one camera's metadata.
#include <memory>

#include "client/reply_document.h"
#include "command_set.h"
#include "common/cli.h"
#include "failure.h"
#include "record_fields.h"
#include "services/exchange.h"

namespace qmctl {

namespace {

// The fields every view of a camera starts with: identity and video format.
Record CameraBasics(const QM::Camera& camera) {
  Record record;
  record["id"] = camera.ID();
  record["name"] = Narrow(camera.Name);
  record["frame_width"] = camera.FrameWidth;
  record["frame_height"] = camera.FrameHeight;
  record["frame_rate"] = camera.FrameRate;
  record["four_cc"] = Narrow(camera.FourCC);
  return record;
}

// Every field of a directory camera but its password, which is never shown.
Record CameraRecord(const QM::Camera& camera) {
  Record record = CameraBasics(camera);
  record["ip_address"] = Narrow(camera.IPAddress);
  record["user_name"] = Narrow(camera.UserName);
  record["is_ptz"] = camera.IsPTZ;
  record["disabled"] = camera.Disabled;
  record["active"] = camera.Active;
  record["description"] = Narrow(camera.Description);
  record["http_port"] = camera.HTTPPort;
  record["rtsp_port"] = camera.RTSPPort;
  record["rtp_port"] = camera.RTPPort;
  record["rtcp_port"] = camera.RTCPPort;
  return record;
}

// The fields the health-monitor status fills.
Record StatusRecord(const QM::Camera& camera) {
  Record record = CameraBasics(camera);
  record["network_bandwidth"] = camera.NetworkBandwidth;
  record["disabled"] = camera.Disabled;
  AddServerTime(record, "last_recieved_time", Narrow(camera.LastRecievedTime));
  return record;
}

int RunCameras(CommandContext& context) {
  const int status = context.session.LoadDirectory();
  if (status != qmtools::kExitOk) return status;
  std::vector<Record> records;
  for (const auto& entry : context.session.server().GetCameras()) {
    if (entry.second) records.push_back(CameraRecord(*entry.second));
  }
  context.out.Table({{"ID", "id"},
                     {"NAME", "name"},
                     {"IP ADDRESS", "ip_address"},
                     {"WIDTH", "frame_width"},
                     {"HEIGHT", "frame_height"},
                     {"RATE", "frame_rate"},
                     {"FOURCC", "four_cc"},
                     {"PTZ", "is_ptz"},
                     {"ACTIVE", "active"},
                     {"DISABLED", "disabled"}},
                    records);
  return qmtools::kExitOk;
}

int RunStatus(CommandContext& context) {
  Session& session = context.session;
  QM::ByteVector reply;
  const int status = session.ExchangeXml(session.server().ReqPkt_GetCamerasStatus(),
                                         "the camera status", reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  if (document.Document().FirstChildElement("HealthMonitorStatus") == nullptr) {
    return Fail(qmtools::kExitBadReply, "the answer of " + session.where() +
                                            " to the request for the camera "
                                            "status holds no HealthMonitorStatus");
  }
  std::vector<Record> records;
  for (const auto& entry :
       QM::Server::RspPkt_ParseCamerasStatus(reply.data(), QM::ReplyLength(reply))) {
    if (entry.second) records.push_back(StatusRecord(*entry.second));
  }
  context.out.Table({{"ID", "id"},
                     {"NAME", "name"},
                     {"WIDTH", "frame_width"},
                     {"HEIGHT", "frame_height"},
                     {"RATE", "frame_rate"},
                     {"FOURCC", "four_cc"},
                     {"BANDWIDTH", "network_bandwidth"},
                     {"DISABLED", "disabled"},
                     {"LAST RECEIVED", "last_recieved_time"}},
                    records);
  return qmtools::kExitOk;
}

int RunCamera(CommandContext& context, unsigned int id) {
  Session& session = context.session;
  int status = session.LoadDirectory();
  if (status != qmtools::kExitOk) return status;
  // Directory fields (name, address, ports) when the directory has the
  // camera; the metadata reply decides whether the camera exists.
  QM::CameraPtr camera = session.server().FindCamera(id);
  if (!camera) camera = session.server().AddCamera(id);
  QM::ByteVector reply;
  status = session.ExchangeXml(session.server().ReqPkt_GetCameraMetadata(camera),
                               "the metadata of camera " + std::to_string(id), reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  const TiXmlElement* info = document.Document().FirstChildElement("CameraInformation");
  // A .NET server answers an unknown camera with a nil object.
  const char* nil = info != nullptr ? info->Attribute("xsi:nil") : nullptr;
  if (info == nullptr || (nil != nullptr && std::string(nil) == "true")) {
    return Fail(qmtools::kExitNotFound, "the server " + session.where() +
                                            " has no metadata for camera " +
                                            std::to_string(id));
  }
  session.server().RspPkt_ParseCameraMetadata(reply.data(), QM::ReplyLength(reply),
                                              camera);
  context.out.Sheet({{"camera ID", "id"},
                     {"name", "name"},
                     {"IP address", "ip_address"},
                     {"user name", "user_name"},
                     {"frame width", "frame_width"},
                     {"frame height", "frame_height"},
                     {"frame rate", "frame_rate"},
                     {"FourCC", "four_cc"},
                     {"PTZ", "is_ptz"},
                     {"disabled", "disabled"},
                     {"active", "active"},
                     {"description", "description"},
                     {"HTTP port", "http_port"},
                     {"RTSP port", "rtsp_port"},
                     {"RTP port", "rtp_port"},
                     {"RTCP port", "rtcp_port"}},
                    CameraRecord(*camera));
  return qmtools::kExitOk;
}

}  // namespace

void AddCameraCommands(CommandSet& commands) {
  commands.Add("cameras",
               "the camera directory: every camera with its address and video "
               "format (camera passwords are never shown)",
               RunCameras);
  commands.Add("status",
               "the health of each camera: video format, network bandwidth, "
               "disabled flag and the time its last frame arrived",
               RunStatus);
  auto id = std::make_shared<unsigned int>(0);
  CLI::App* camera = commands.Add(
      "camera", "one camera's metadata (directory entry and format)",
      [id](CommandContext& context) { return RunCamera(context, *id); });
  camera->add_option("ID", *id, "camera ID")->required()->type_name("");
  camera->footer(
      "A camera whose metadata reply holds no CameraInformation, or a nil one,\n"
      "does not exist (exit status 7).");
}

}  // namespace qmctl

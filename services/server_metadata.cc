// Server description, server-table query and health-monitor status: the
// requests, their reply parsers and the status exchange.
#include <boost/make_shared.hpp>

#include "client/reply_document.h"
#include "client/server.h"
#include "services/exchange.h"
#include "services/reply_fields.h"

namespace QM {

ByteVector Server::ReqPkt_GetServerMetadata() {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetServerMetadata(&count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetServerMetadataEx() {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetServerMetadataEx(server_id_, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetServerStatus() {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetServerStatus(&count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetCamerasStatus() {
  return ReqPkt_GetServerStatus();
}

bool Server::RspPkt_ParseServerMetadata(const void* reply,
                                        unsigned int length) {
  if (length == 0) return false;
  ReplyDocument document(reply, length);
  if (document.Error() || !CredentialsPassed(document.Handle())) return false;
  const TiXmlElement* info =
      document.Document().FirstChildElement("ServerInformation");
  if (info == nullptr) return false;
  server_id_ = ReadIntFieldAsUnsigned(info, "ID");
  name_ = ReadWideField(info, "Name");
  version_ = ReadWideField(info, "Version");
  live_port_ = static_cast<unsigned short>(ReadIntField(info, "LivePort"));
  time_zone_ = ReadWideField(info, "TimeZoneInfo");
  return true;
}

void Server::RspPkt_ParseServerMetadataEx(const void* reply,
                                          unsigned int length) {
  ReplyDocument document(reply, length);
  if (document.Error()) return;
  const TiXmlNode* row = FirstDataSetRow(document.Document());
  if (row == nullptr) return;
  local_data_path_ = ReadWideField(row, "LocalDataPath");
}

CameraMap Server::RspPkt_ParseCamerasStatus(const void* reply,
                                            unsigned int length) {
  CameraMap cameras;
  ReplyDocument document(reply, length);
  if (document.Error() || !CredentialsPassed(document.Handle())) {
    return cameras;
  }
  const TiXmlElement* status =
      document.Document().FirstChildElement("HealthMonitorStatus");
  if (status == nullptr) return cameras;
  const TiXmlNode* list = status->FirstChild("Cameras");
  for (const TiXmlNode* entry = list ? list->FirstChild() : nullptr;
       entry != nullptr; entry = entry->NextSibling()) {
    if (ReadFieldText(entry, "ID").empty()) continue;
    const unsigned int id = ReadIntFieldAsUnsigned(entry, "ID");
    CameraPtr& camera = cameras[id];
    if (!camera) camera = boost::make_shared<Camera>();
    camera->SetID(id);
    camera->FrameWidth = ReadIntFieldAsUnsigned(entry, "FrameWidth");
    camera->FourCC = ReadWideField(entry, "FourCC");
    camera->FrameHeight = ReadIntFieldAsUnsigned(entry, "FrameHeight");
    camera->NetworkBandwidth = ReadIntFieldAsUnsigned(entry, "NetworkBandwidth");
    camera->FrameRate = ReadIntFieldAsUnsigned(entry, "FrameRate");
    camera->Name = ReadWideField(entry, "CameraName");
    camera->Disabled = ReadFlagField(entry, "Disabled");
    camera->LastRecievedTime = ReadWideField(entry, "LastRecievedTime");
  }
  return cameras;
}

bool Server::GetAliveMonInfo(CameraMap& cameras) {
  const ByteVector reply = ExchangeRequest(*this, ReqPkt_GetCamerasStatus());
  if (reply.empty()) return false;
  cameras = RspPkt_ParseCamerasStatus(reply.data(), ReplyLength(reply));
  return true;
}

const wchar_t* Server::GetVersion() const { return version_.c_str(); }

unsigned short Server::GetLivePort() const { return live_port_; }

const wchar_t* Server::GetTimeZoneInfo() const { return time_zone_.c_str(); }

const wchar_t* Server::GetLocalDataPath() const {
  return local_data_path_.c_str();
}

}  // namespace QM

// The camera directory of a server: the camera map operations, the
// single-camera and directory requests with their parsers, and the exchange
// that fetches the server description and then the directory.
#include <boost/make_shared.hpp>

#include "client/reply_document.h"
#include "client/server.h"
#include "services/exchange.h"
#include "services/reply_fields.h"

namespace QM {

namespace {

// Servers from this version on answer the native camera-metadata command;
// older ones (and servers whose version is unknown) get the table query.
const wchar_t kNativeCameraMetadataVersion[] = L"6.2.18.2";

// The fields that the native camera list and the single-camera reply share,
// in reply order.
void ReadCameraFormat(const TiXmlNode* entry, Camera& camera) {
  camera.FrameWidth = ReadIntFieldAsUnsigned(entry, "FrameWidth");
  camera.FrameHeight = ReadIntFieldAsUnsigned(entry, "FrameHeight");
  camera.FrameRate = ReadIntFieldAsUnsigned(entry, "FrameRate");
  camera.FourCC = ReadWideField(entry, "FourCC");
  camera.IsPTZ = ReadFlagField(entry, "IsPTZ");
  camera.Disabled = ReadFlagField(entry, "Disabled");
  camera.Active = ReadFlagField(entry, "Active");
  camera.Description = ReadWideField(entry, "Description");
}

unsigned short ReadPortField(const TiXmlNode* entry, const char* name) {
  return static_cast<unsigned short>(ReadIntField(entry, name));
}

}  // namespace

boost::shared_ptr<Camera> Server::FindCamera(unsigned int id) {
  const CameraMap::const_iterator found = cameras_.find(id);
  return found == cameras_.end() ? CameraPtr() : found->second;
}

boost::shared_ptr<Camera> Server::AddCamera(unsigned int id) {
  CameraPtr& camera = cameras_[id];
  // An entry holding no camera (put there by a caller through the map
  // copy's type, never by this class) is filled as a new one.
  if (!camera) camera = boost::make_shared<Camera>();
  camera->SetID(id);
  return camera;
}

void Server::ClearCameraList() { cameras_.clear(); }

CameraMap Server::GetCameras() { return cameras_; }

ByteVector Server::ReqPkt_GetCameraMetadata(boost::shared_ptr<Camera> camera) {
  if (!camera) return ByteVector();
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetCameraMetadata(camera->ID(), &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetCamerasMetadata() {
  SetCredentials();
  unsigned int count = 0;
  const bool table_query =
      version_.empty() ||
      CompareVersion(version_, kNativeCameraMetadataVersion) < 0;
  const char* frame = table_query
                          ? pkt_.GetCamerasMetadata(server_id_, &count)
                          : pkt_.GetCamerasMetadataEx(server_id_, &count);
  return FrameBytes(frame, count);
}

void Server::RspPkt_ParseCameraMetadata(const void* reply, unsigned int length,
                                        boost::shared_ptr<Camera> camera) {
  if (!camera) return;
  ReplyDocument document(reply, length);
  if (document.Error()) return;
  const TiXmlElement* info =
      document.Document().FirstChildElement("CameraInformation");
  if (info == nullptr) return;
  ReadCameraFormat(info, *camera);
}

void Server::RspPkt_ParseCamerasMetadata(const void* reply,
                                         unsigned int length) {
  ClearCameraList();
  ReplyDocument document(reply, length);
  if (document.Error()) return;

  const TiXmlNode* row = FirstDataSetRow(document.Document());
  if (row != nullptr) {
    // The table query of older servers answers in lower-case columns; the
    // first row decides for all.
    const bool lower = CheckFieldAndFirstValue(row, "cameraID");
    for (; row != nullptr; row = NextDataSetRow(row)) {
      const CameraPtr camera = AddCamera(
          ReadIntFieldAsUnsigned(row, lower ? "cameraID" : "CameraID"));
      camera->Name = ReadWideField(row, lower ? "cameraName" : "CameraName");
      camera->IPAddress = ReadWideField(row, "IPAddress");
      if (!lower) camera->UserName = ReadWideField(row, "IPUserName");
    }
    return;
  }

  const TiXmlElement* list =
      document.Document().FirstChildElement("ArrayOfCameraInformation");
  for (const TiXmlNode* entry =
           list ? list->FirstChild("CameraInformation") : nullptr;
       entry != nullptr; entry = entry->NextSibling()) {
    const CameraPtr camera = AddCamera(ReadIntFieldAsUnsigned(entry, "ID"));
    camera->Name = ReadWideField(entry, "Name");
    camera->IPAddress = ReadWideField(entry, "IPAddress");
    ReadCameraFormat(entry, *camera);
    camera->UserName = ReadWideField(entry, "UserName");
    camera->Password = ReadWideField(entry, "Password");
    camera->HTTPPort = ReadPortField(entry, "HTTPPort");
    camera->RTSPPort = ReadPortField(entry, "RTSPPort");
    camera->RTPPort = ReadPortField(entry, "RTPPort");
    camera->RTCPPort = ReadPortField(entry, "RTCPPort");
  }
}

bool Server::GetServerAndCameraMetadata() {
  const ByteVector description =
      ExchangeRequest(*this, ReqPkt_GetServerMetadata());
  if (description.empty()) return false;
  // A failed description keeps the version stored before, which then
  // chooses the directory command.
  RspPkt_ParseServerMetadata(description.data(), ReplyLength(description));
  const ByteVector directory =
      ExchangeRequest(*this, ReqPkt_GetCamerasMetadata());
  if (directory.empty()) return false;
  RspPkt_ParseCamerasMetadata(directory.data(), ReplyLength(directory));
  return true;
}

}  // namespace QM

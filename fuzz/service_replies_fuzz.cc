// The XML reply parsers of the server services over arbitrary reply bytes.
// The first input byte chooses the parser, the rest is the reply:
//   0 server description     1 server-table query (local data path)
//   2 health-monitor status  3 camera directory (both table spellings, array)
//   4 single camera          5 video-file list
//   6 video span             7 preset list
// Checked besides "no crash": what a parser must leave alone stays as it
// was, a failed parse changes nothing or yields the empty result, records
// are never null, map keys are the cameras' IDs, and no list has more
// entries than the reply has bytes.
#include <boost/make_shared.hpp>
#include <string>

#include "client/reply_document.h"
#include "client/server.h"
#include "fuzz/fuzz_input.h"

namespace {

// Exposes the stored server facts, which the parsers fill.
class FactsServer : public QM::Server {
 public:
  FactsServer() : QM::Server(L"127.0.0.1", 4011, L"operator", L"demo-pass", 0, 4242) {
    server_id_ = 0xC0FFEE;
    name_ = L"before";
    version_ = L"1.2.3.4";
    live_port_ = 4242;
    time_zone_ = L"zone before";
    local_data_path_ = L"D:\\before";
  }
  bool FactsUnchanged() const {
    return server_id_ == 0xC0FFEE && name_ == L"before" && version_ == L"1.2.3.4" &&
           live_port_ == 4242 && time_zone_ == L"zone before";
  }
  const std::wstring& LocalDataPath() const { return local_data_path_; }
};

// True when the reply opens as a document (what every parser starts with).
bool Opens(const uint8_t* data, size_t size) {
  QM::ReplyDocument document(data, static_cast<unsigned int>(size));
  return !document.Error();
}

// Every camera of a map is held, sits under its own ID and has no server.
void CheckCameraMap(const QM::CameraMap& cameras, size_t size) {
  FUZZ_CHECK(cameras.size() <= size);
  for (const auto& entry : cameras) {
    FUZZ_CHECK(entry.second);
    FUZZ_CHECK(entry.second->ID() == entry.first);
    FUZZ_CHECK(!entry.second->GetServer());
  }
}

void ServerDescription(const uint8_t* data, size_t size) {
  FactsServer server;
  const bool found = server.RspPkt_ParseServerMetadata(data, static_cast<unsigned int>(size));
  if (!found) {
    FUZZ_CHECK(server.FactsUnchanged());
    return;
  }
  // Only a document with a ServerInformation element answers true.
  FUZZ_CHECK(size > 0 && Opens(data, size));
  FUZZ_CHECK(std::string(reinterpret_cast<const char*>(data), size).find("ServerInformation") !=
             std::string::npos);
  FUZZ_CHECK(server.GetLocalDataPath() == std::wstring(L"D:\\before"));
}

void ServerTable(const uint8_t* data, size_t size) {
  FactsServer server;
  server.RspPkt_ParseServerMetadataEx(data, static_cast<unsigned int>(size));
  FUZZ_CHECK(server.FactsUnchanged());
  if (!Opens(data, size)) FUZZ_CHECK(server.LocalDataPath() == L"D:\\before");
}

void HealthStatus(const uint8_t* data, size_t size) {
  const QM::CameraMap cameras =
      QM::Server::RspPkt_ParseCamerasStatus(data, static_cast<unsigned int>(size));
  CheckCameraMap(cameras, size);
  if (!cameras.empty()) FUZZ_CHECK(Opens(data, size));
}

void CameraDirectory(const uint8_t* data, size_t size) {
  FactsServer server;
  // The directory is emptied first: an earlier camera never survives
  // unless the reply names its ID again.
  const QM::CameraPtr earlier = server.AddCamera(0xFEEDu);
  server.RspPkt_ParseCamerasMetadata(data, static_cast<unsigned int>(size));
  const QM::CameraMap cameras = server.GetCameras();
  CheckCameraMap(cameras, size);
  FUZZ_CHECK(server.FindCamera(0xFEEDu) != earlier);
  if (!Opens(data, size)) FUZZ_CHECK(cameras.empty());
  FUZZ_CHECK(server.FactsUnchanged());
  // FindCamera adds nothing.
  FUZZ_CHECK(!server.FindCamera(0xFEEEu) && server.GetCameras().size() == cameras.size());
}

void SingleCamera(const uint8_t* data, size_t size) {
  FactsServer server;
  const QM::CameraPtr camera = boost::make_shared<QM::Camera>();
  camera->SetID(77u);
  camera->Name = L"name";
  camera->IPAddress = L"192.0.2.1";
  camera->UserName = L"user";
  camera->Password = L"pass";
  camera->HTTPPort = 80;
  camera->RTSPPort = 554;
  camera->RTPPort = 6970;
  camera->RTCPPort = 6971;
  camera->FrameWidth = 1;
  camera->Description = L"before";
  server.RspPkt_ParseCameraMetadata(data, static_cast<unsigned int>(size), camera);
  // ID, name, address, credentials and ports are never touched.
  FUZZ_CHECK(camera->ID() == 77u && camera->Name == L"name" && camera->IPAddress == L"192.0.2.1" &&
             camera->UserName == L"user" && camera->Password == L"pass" &&
             camera->HTTPPort == 80 && camera->RTSPPort == 554 && camera->RTPPort == 6970 &&
             camera->RTCPPort == 6971);
  if (!Opens(data, size)) FUZZ_CHECK(camera->FrameWidth == 1 && camera->Description == L"before");
  // An empty camera pointer is refused quietly.
  server.RspPkt_ParseCameraMetadata(data, static_cast<unsigned int>(size), QM::CameraPtr());
}

void VideoFiles(const uint8_t* data, size_t size) {
  const QM::VideoFileList files =
      QM::Server::RspPkt_ParseVideoFilesMetadata(data, static_cast<unsigned int>(size));
  FUZZ_CHECK(files);
  FUZZ_CHECK(files->size() <= size);
  if (!files->empty()) FUZZ_CHECK(Opens(data, size));
  for (const QM::VideoFilePtr& file : *files) {
    FUZZ_CHECK(file);
    // The list fills list fields only: no header, no frame table, no camera.
    FUZZ_CHECK(file->HeaderTag == 0 && file->FormatKind == 0 && file->FrameTable.empty());
    FUZZ_CHECK(!file->GetCamera());
    FUZZ_CHECK(file->FileName.size() <= size);
    FUZZ_CHECK(file->timestamp(0) == 0);
  }
}

void Span(const uint8_t* data, size_t size) {
  const QM::VideoSpanPtr span =
      QM::Server::RspPkt_ParseGetVideoSpan(data, static_cast<unsigned int>(size));
  // Empty exactly when the reply does not open as a document.
  FUZZ_CHECK(static_cast<bool>(span) == Opens(data, size));
  if (span) FUZZ_CHECK(span->StartingFile.size() <= size && span->EndingFile.size() <= size);
}

void Presets(const uint8_t* data, size_t size) {
  const QM::PresetList presets =
      QM::Server::RspPkt_ParsePresets(data, static_cast<unsigned int>(size));
  FUZZ_CHECK(presets);
  FUZZ_CHECK(presets->size() <= size);
  if (!presets->empty()) FUZZ_CHECK(Opens(data, size));
  for (const QM::PresetPtr& preset : *presets) {
    FUZZ_CHECK(preset);
    FUZZ_CHECK(preset->Name.size() <= size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t parser = data[0];
  ++data;
  --size;
  switch (parser % 8) {
    case 0: ServerDescription(data, size); break;
    case 1: ServerTable(data, size); break;
    case 2: HealthStatus(data, size); break;
    case 3: CameraDirectory(data, size); break;
    case 4: SingleCamera(data, size); break;
    case 5: VideoFiles(data, size); break;
    case 6: Span(data, size); break;
    default: Presets(data, size); break;
  }
  return 0;
}

// Records what qmsim answers to the service commands, for the seed corpora
// of the service fuzz targets (fuzz/make_corpus.sh runs it against qmsim
// serving scenarios/sample_server.xml):
//   corpus_client PORT DIRECTORY
// writes one file per reply or stream into DIRECTORY, named after what was
// asked. Streams are recorded as the bytes the client read. Exit status 0,
// or 1 when the server description cannot be obtained.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "client/exchange.h"
#include "protocol/qmlinux.h"

namespace {

// Cameras and files of scenarios/sample_server.xml.
const unsigned int kPtzCamera = 5;
const unsigned int kDayCamera = 7;
const unsigned int kUnknownCamera = 99;
const unsigned int kPlaybackFile = 502;

// A client that keeps every byte a stream read, reads live streams to
// their end and stops playback only at the requested frame.
class RecordingClient : public QMLinux {
 public:
  RecordingClient(unsigned short port)
      : QMLinux(L"127.0.0.1", port, L"operator", L"demo-pass", 0, 4711) {}

  unsigned int ReadConnection(QM::ByteVector& data) override {
    const unsigned int count = QMLinux::ReadConnection(data);
    stream.insert(stream.end(), data.begin(), data.begin() + count);
    return count;
  }
  bool NewLiveFrame(unsigned int, bool, unsigned int, unsigned int, unsigned int, unsigned short,
                    QM::ByteVector&) override {
    return false;
  }
  bool NewPlaybackFrame(bool, unsigned long long, unsigned int, unsigned int, unsigned int,
                        QM::ByteVector&) override {
    return false;
  }
  // Makes the directory request take the camera-table query (older servers).
  void ForgetVersion() { version_.clear(); }

  QM::ByteVector stream;
};

class Recorder {
 public:
  Recorder(RecordingClient& client, std::string directory)
      : client_(client), directory_(std::move(directory)) {}

  // Exchanges `request` and writes the reply as <name>; returns the reply.
  QM::ByteVector Ask(const std::string& name, QM::ByteVector request) {
    QM::ByteVector reply = QM::ExchangeRequest(client_, std::move(request));
    Write(name, reply);
    return reply;
  }

  void Write(const std::string& name, const QM::ByteVector& bytes) {
    const std::string path = directory_ + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return;
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }

 private:
  RecordingClient& client_;
  std::string directory_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: corpus_client PORT DIRECTORY\n", stderr);
    return 2;
  }
  const auto port = static_cast<unsigned short>(std::strtoul(argv[1], nullptr, 10));
  const boost::shared_ptr<RecordingClient> client = boost::make_shared<RecordingClient>(port);
  Recorder rec(*client, argv[2]);

  const QM::ByteVector description = rec.Ask("server-metadata", client->ReqPkt_GetServerMetadata());
  client->RspPkt_ParseServerMetadata(description.data(), QM::ReplyLength(description));
  const QM::ByteVector table = rec.Ask("server-table", client->ReqPkt_GetServerMetadataEx());
  client->RspPkt_ParseServerMetadataEx(table.data(), QM::ReplyLength(table));
  rec.Ask("status", client->ReqPkt_GetCamerasStatus());

  const QM::ByteVector cameras = rec.Ask("cameras-array", client->ReqPkt_GetCamerasMetadata());
  client->RspPkt_ParseCamerasMetadata(cameras.data(), QM::ReplyLength(cameras));
  const QM::CameraMap known = client->GetCameras();
  client->ForgetVersion();
  rec.Ask("cameras-table", client->ReqPkt_GetCamerasMetadata());
  client->RspPkt_ParseServerMetadata(description.data(), QM::ReplyLength(description));

  for (unsigned int id : {kPtzCamera, kDayCamera, kUnknownCamera}) {
    const QM::CameraPtr camera = boost::make_shared<QM::Camera>();
    camera->SetID(id);
    const std::string n = std::to_string(id);
    rec.Ask("camera-" + n, client->ReqPkt_GetCameraMetadata(camera));
    rec.Ask("presets-" + n, client->ReqPkt_GetPTZPresets(id));
    // The whole recording day of the camera: its first and last file.
    const QM::ByteVector span_reply =
        rec.Ask("span-" + n, client->ReqPkt_GetVideoSpan(id, 2013, 5, 7, 0, 0, 0, 2013, 5, 7, 23, 59, 59));
    const QM::VideoSpanPtr span =
        QM::Server::RspPkt_ParseGetVideoSpan(span_reply.data(), QM::ReplyLength(span_reply));
    const QM::CameraMap::const_iterator found = known.find(id);
    if (found == known.end() || !span) continue;
    rec.Ask("directory-" + n, client->ReqPkt_GetCameraVideoFileDirectories(found->second));
    rec.Ask("files-" + n, client->ReqPkt_GetVideoFilesMetadata(found->second, span->StartingFile,
                                                                span->EndingFile));
    const QM::ByteVector list = rec.Ask(
        "file-range-" + n, client->ReqPkt_GetVideoFiles(span->StartingFile, span->EndingFile));
    const QM::VideoFileList files =
        QM::Server::RspPkt_ParseVideoFilesMetadata(list.data(), QM::ReplyLength(list));
    if (files->empty()) continue;
    // Camera 5 has a file of each header layout; camera 7's headers are
    // larger (28800 frames each) and of the layout of camera 5's first.
    for (size_t i = 0; id == kPtzCamera && i < files->size(); ++i) {
      rec.Ask("header-" + n + "-" + std::to_string(i),
              client->ReqPkt_GetVideoFileMetadata((*files)[i]->FileName, id));
    }
    rec.Ask("media-" + n, client->ReqPkt_GetVideoFileFrames(files->front()->FileName, id, 6, 2, 0,
                                                            std::wstring()));
  }
  rec.Ask("header-unknown", client->ReqPkt_GetVideoFileMetadata(L"D:\\nothing.vid", kPtzCamera));

  for (unsigned int id : {kDayCamera, kPtzCamera}) {
    client->stream.clear();
    client->GetLiveStream(id);
    rec.Write("live-" + std::to_string(id), client->stream);
  }
  // Frames 0 to 5 of a file, the server's skip record after frame 0.
  client->stream.clear();
  client->GetPlaybackStream(kPtzCamera, kPlaybackFile, kPlaybackFile, 5);
  rec.Write("playback-" + std::to_string(kPtzCamera), client->stream);
  return description.empty() ? 1 : 0;
}

// recording_day: asks a video server for its cameras and for the recording
// intervals of one camera on one date, and prints both.
//
//   QM_USER=operator QM_PASSWORD=... recording_day ADDRESS PORT CAMERA MM.DD.YYYY
//
// The user name and password come from the environment (QM_USER, default
// "admin", and QM_PASSWORD), never from the command line, where every user
// of the machine could read them. Times are converted in the local zone:
// run it with TZ set to a zone without daylight saving time (TZ=UTC0, or
// the server's standard offset such as TZ=AST4) or summer days come out
// wrong. Exit status 0 when both questions were answered, 1 for wrong
// arguments, 2 when a question failed.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <qmrecinfo/client/rectime.h>
#include <qmrecinfo/protocol/qmlinux.h>
#include <qmrecinfo/protocol/text_convert.h>
#include <qmrecinfo/services/camera.h>

namespace {

// An unsigned decimal number up to `max`; false for anything else.
bool ParseNumber(const char* text, unsigned long max, unsigned long& out) {
  if (text[0] < '0' || text[0] > '9') return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtoul(text, &end, 10);
  return errno == 0 && *end == '\0' && out <= max;
}

std::string Narrow(const std::wstring& text) { return wstring_to_string(text); }

std::string Environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long port = 0;
  unsigned long camera = 0;
  if (argc != 5 || !ParseNumber(argv[2], 65535, port) || port == 0 ||
      !ParseNumber(argv[3], 4294967295UL, camera)) {
    std::fprintf(stderr,
                 "usage: QM_USER=NAME QM_PASSWORD=PASSWORD %s ADDRESS PORT "
                 "CAMERA MM.DD.YYYY\n",
                 argv[0]);
    return 1;
  }
  const std::wstring address = string_to_wstring(argv[1]);
  const std::wstring user = string_to_wstring(Environment("QM_USER", "admin"));
  const std::wstring password =
      string_to_wstring(Environment("QM_PASSWORD", ""));
  const std::wstring date = string_to_wstring(argv[4]);

  // One server object for every request; clicks 0, cookie 0 (a random one).
  QMLinux server(address.c_str(), static_cast<unsigned short>(port),
                 user.c_str(), password.c_str(), 0, 0);

  // The server description, then its camera directory.
  if (!server.GetServerAndCameraMetadata()) {
    std::fprintf(stderr, "%s: the server did not describe its cameras\n",
                 argv[0]);
    return 2;
  }
  const QM::CameraMap cameras = server.GetCameras();
  std::printf("server %u \"%s\", version %s, %zu camera(s)\n",
              server.GetServerID(), Narrow(server.GetName()).c_str(),
              Narrow(server.GetVersion()).c_str(), cameras.size());
  for (const auto& entry : cameras) {
    std::printf("camera %u \"%s\"\n", entry.first,
                Narrow(entry.second->Name).c_str());
  }

  // The recording intervals of the day: RECTYPE 0 a recorded interval,
  // 1 a motion period inside one.
  QM::RecTimeList rows;
  if (!server.GetDateTimeTracker(static_cast<unsigned int>(camera),
                                 date.c_str(), rows)) {
    std::fprintf(stderr, "%s: the server did not answer the query\n", argv[0]);
    return 2;
  }
  std::printf("camera %lu on %s: %zu interval(s)\n", camera, argv[4],
              rows->size());
  for (const QM::RecTimePtr& row : *rows) {
    std::printf("%u,%u,%u,%s,%s\n", row->Idx, row->CamId, row->RecType,
                Narrow(row->StartStr).c_str(), Narrow(row->EndStr).c_str());
  }
  return 0;
}

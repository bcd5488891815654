// An in-test server for faults and replies that qmsim cannot stage: it
// answers each request with a canned reply chosen by the request's command
// code, optionally in small pieces, and records every request frame.
#ifndef QM_TESTS_E2E_CANNED_SERVER_H_
#define QM_TESTS_E2E_CANNED_SERVER_H_

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

// What the server answers.
struct CannedScript {
  // Reply bytes per command code. A request whose code has no entry, or
  // whose frame cannot be read, is closed without an answer.
  std::map<unsigned, std::string> replies;
  // Bytes per send (0: the whole reply in one send) and the pause between
  // sends, so that the client has to collect a reply from many receives.
  size_t chunk_size = 0;
  int chunk_pause_ms = 0;
};

// Listens on 127.0.0.1:`port` and serves connections one at a time in its
// own thread until destroyed. Each connection: read one frame (5-byte
// prefix, length little-endian, at most 64 KiB, 5 s per receive), answer,
// close.
class CannedServer {
 public:
  CannedServer(unsigned short port, const CannedScript& script);
  // Stops the thread (it notices within 100 ms) and closes the listener.
  ~CannedServer();

  CannedServer(const CannedServer&) = delete;
  CannedServer& operator=(const CannedServer&) = delete;

  // True when the listener is up.
  bool Listening() const { return listener_ >= 0; }

  // The request frames received so far, in arrival order.
  std::vector<std::string> Requests() const;

 private:
  void Run();
  void Serve(int fd);

  CannedScript script_;
  int listener_ = -1;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// The command code written in a request frame's envelope; 0 when there is
// none.
unsigned CommandOf(const std::string& frame);

}  // namespace e2e

#endif  // QM_TESTS_E2E_CANNED_SERVER_H_

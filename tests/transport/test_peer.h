// A one-connection TCP peer for transport tests: listens on 127.0.0.1 with
// an ephemeral port, accepts one connection in its own thread, records the
// bytes it reads, answers with scripted chunks and closes.
#ifndef QM_TESTS_TRANSPORT_TEST_PEER_H_
#define QM_TESTS_TRANSPORT_TEST_PEER_H_

#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>

// What the peer does with its one connection.
struct PeerScript {
  // Bytes to read before answering (reading also stops when the client
  // closes).
  size_t read_bytes = 0;
  // Reply chunks, each sent whole before the next.
  std::vector<std::string> chunks;
  // Pause between chunks, in milliseconds.
  int chunk_pause_ms = 0;
  // After the reply, read until the client closes (to record data sent on
  // a channel after the reply) instead of closing at once.
  bool read_until_close = false;
};

class TestPeer {
 public:
  // Starts listening and runs `script` on the first connection.
  explicit TestPeer(const PeerScript& script);
  // Joins the thread (closing the listener first if nothing connected).
  ~TestPeer();

  TestPeer(const TestPeer&) = delete;
  TestPeer& operator=(const TestPeer&) = delete;

  unsigned short Port() const { return port_; }
  // Waits for the connection to end; then the bytes the peer read.
  const std::string& Received();

 private:
  void Run();

  PeerScript script_;
  int listener_;
  unsigned short port_;
  std::string received_;
  std::thread thread_;
};

// An ephemeral port on 127.0.0.1 that is bound but not listening, so a
// connect to it is refused. Held until destruction.
class RefusingPort {
 public:
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;
  unsigned short Port() const { return port_; }

 private:
  int descriptor_;
  unsigned short port_;
};

// A listener on 127.0.0.1 that never accepts; tells whether any connection
// reached it.
class SilentListener {
 public:
  SilentListener();
  ~SilentListener();
  SilentListener(const SilentListener&) = delete;
  SilentListener& operator=(const SilentListener&) = delete;
  unsigned short Port() const { return port_; }
  // True when a completed connection is waiting in the backlog.
  bool WasConnected();

 private:
  int descriptor_;
  unsigned short port_;
};

#endif  // QM_TESTS_TRANSPORT_TEST_PEER_H_

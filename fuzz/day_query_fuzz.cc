// A whole server conversation played against GetDateTimeTracker through an
// in-process transport. Input: the camera id (4 bytes), a zone selector
// byte, a length-prefixed query date (at most 64 bytes), then one entry per
// exchange in the order the query asks: a byte (0: the exchange fails,
// nothing received; otherwise a reply follows) and a length-prefixed reply.
// Checked: the requests are well-formed frames of commands 324, 715 and 716
// in that order, the query stops where an empty reply ends it, and the out
// list is replaced exactly when the query answers true.
#include <boost/make_shared.hpp>
#include <string>
#include <vector>

#include "client/server.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"

namespace {

// Largest reply one exchange takes from the input.
const size_t kMaxReply = 1 << 20;

// Serves the query from the fuzz input, keeping every request it was sent.
class ScriptedServer : public QM::Server {
 public:
  explicit ScriptedServer(qmfuzz::FuzzInput& in)
      : QM::Server(L"127.0.0.1", 4011, L"operator", L"demo-pass", 0, 4242),
        in_(in) {}

  unsigned int TransactCommandChannel(QM::ByteVector& request,
                                      QM::ByteVector& reply) override {
    requests.push_back(request);
    FUZZ_CHECK(reply.empty());  // every exchange gets a fresh reply vector
    if (in_.Byte() == 0) return 0;
    const std::string bytes = in_.Sized(kMaxReply);
    reply.assign(bytes.begin(), bytes.end());
    replies.push_back(bytes);
    return static_cast<unsigned int>(reply.size());
  }

  std::vector<QM::ByteVector> requests;
  std::vector<std::string> replies;  // of the exchanges that got one

 private:
  qmfuzz::FuzzInput& in_;
};

// The command code of a request frame: client type 6, length prefix equal
// to the frame size, one envelope. 0 when the frame is not one.
unsigned CommandOf(const QM::ByteVector& frame) {
  FUZZ_CHECK(frame.size() > 5 && frame[0] == 6);
  const size_t length = frame[1] | frame[2] << 8 | frame[3] << 16 |
                        static_cast<size_t>(frame[4]) << 24;
  FUZZ_CHECK(length == frame.size());
  const std::string text(frame.begin() + 5, frame.end());
  FUZZ_CHECK(text.rfind("<SOAP-ENV:Envelope ", 0) == 0);
  FUZZ_CHECK(text.size() >= 21 &&
             text.compare(text.size() - 21, 21, "</SOAP-ENV:Envelope>\r") == 0);
  const std::string tag = "xmlns:a2=\"";
  const size_t code_at = text.find("\">", text.find(tag)) + 2;
  return static_cast<unsigned>(std::stoul(text.substr(code_at, 6)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  const unsigned camera_id = in.U32();
  qmfuzz::UseZone(qmfuzz::ZoneOf(in.Byte()));
  const std::wstring date = string_to_wstring(in.Sized(64));

  ScriptedServer server(in);
  const QM::RecTimeList before = boost::make_shared<QM::RecTimeVector>();
  QM::RecTimeList out = before;
  const bool answered = server.GetDateTimeTracker(camera_id, date.c_str(), out);

  const std::vector<QM::ByteVector>& requests = server.requests;
  const unsigned kCodes[] = {324, 715, 716};
  FUZZ_CHECK(requests.size() <= 3);
  for (size_t i = 0; i < requests.size(); ++i) {
    FUZZ_CHECK(CommandOf(requests[i]) == kCodes[i]);
  }
  if (requests.size() == 3) {
    // The motion request asks for the same window as the files request.
    const std::string files(requests[1].begin() + 5, requests[1].end());
    const std::string motions(requests[2].begin() + 5, requests[2].end());
    FUZZ_CHECK(files.substr(files.find("<IntParameter1>")) ==
               motions.substr(motions.find("<IntParameter1>")));
  }

  if (answered) {
    FUZZ_CHECK(out && out != before);
    FUZZ_CHECK(requests.size() >= 2);
    // The motions are asked for only after a files reply with content.
    const bool files_replied = server.replies.size() >= 2 && !server.replies[1].empty();
    FUZZ_CHECK((requests.size() == 3) == files_replied);
  } else {
    FUZZ_CHECK(out == before);
  }
  // A tracker request the packet refuses to frame (a date it cannot
  // convert) or an empty or failed tracker exchange ends the query at once.
  if (server.replies.empty() || server.replies[0].empty()) {
    FUZZ_CHECK(!answered && requests.size() <= 1);
  }
  return 0;
}

// Answering one parsed request from the scenario: the recording query (324,
// 715, 716) here, the service commands through service_handler.h.
#ifndef QMSIM_REQUEST_HANDLER_H
#define QMSIM_REQUEST_HANDLER_H

#include <cstdint>
#include <string>

#include "envelope.h"
#include "scenario.h"

namespace qmsim {

struct ServerState;

// Command codes the stand-in answers.
constexpr std::uint32_t kCmdGetDateTimeTracker = 324;
constexpr std::uint32_t kCmdGetRecordingInfo = 715;
constexpr std::uint32_t kCmdGetMotionInfo = 716;

// The user name and password requests must carry.
struct Credentials {
  std::string user;
  std::string password;
};

// True for the recording query's commands (324, 715, 716).
bool IsRecordingCommand(std::uint32_t code);

// True for the commands the stand-in answers: the recording query and the
// service commands (service_handler.h), the two streams included.
bool IsServedCommand(std::uint32_t code);

// The codes IsServedCommand accepts, for messages: "1, 2, 302, ...".
std::string ServedCommandList();

// The log name of a command: "day-tracker", "recording-info",
// "motion-info", a service command's name, or "unknown-command".
const char* CommandName(std::uint32_t code);

// True when the request carries the user name and password expected.
bool CredentialsMatch(const SimRequest& request, const Credentials& credentials);

// A reply and the log text describing it.
struct SimReply {
  std::string bytes;      // sent as is; empty means close without answering
  std::string outcome;    // e.g. "ok 600 minutes", "login-refused for user \"x\""
  bool is_dataset = false;  // bytes hold a DataSet document
};

// One-line description of a request for the log, e.g.
// "324 day-tracker camera=12 date=05.07.2013"; never holds the password.
std::string DescribeRequest(const SimRequest& request);

// The reply to a request whose credentials do not match: the login-failure
// document, with an outcome naming the user name that arrived.
SimReply LoginRefused(const SimRequest& request);

// Builds the reply to a request/reply command. Unknown commands and the two
// streams get an empty reply; wrong credentials get LoginRefused. Never
// fails.
SimReply AnswerRequest(const SimRequest& request, const ServerState& state,
                       const Credentials& credentials);

// Text safe for a one-line log: at most max_length bytes of printable ASCII,
// other bytes shown as '?', "..." appended when cut.
std::string LogSafe(const std::string& text, std::size_t max_length = 64);

}  // namespace qmsim

#endif  // QMSIM_REQUEST_HANDLER_H

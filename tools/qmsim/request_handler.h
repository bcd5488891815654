// Answering one parsed request from the scenario.
#ifndef QMSIM_REQUEST_HANDLER_H
#define QMSIM_REQUEST_HANDLER_H

#include <cstdint>
#include <string>

#include "envelope.h"
#include "scenario.h"

namespace qmsim {

// Command codes the stand-in answers.
constexpr std::uint32_t kCmdGetDateTimeTracker = 324;
constexpr std::uint32_t kCmdGetRecordingInfo = 715;
constexpr std::uint32_t kCmdGetMotionInfo = 716;

// The user name and password requests must carry.
struct Credentials {
  std::string user;
  std::string password;
};

// True for the commands the stand-in answers (324, 715, 716).
bool IsServedCommand(std::uint32_t code);

// The log name of a command: "day-tracker", "recording-info",
// "motion-info", or "unknown-command".
const char* CommandName(std::uint32_t code);

// A reply and the log text describing it.
struct SimReply {
  std::string bytes;      // sent as is; empty means close without answering
  std::string outcome;    // e.g. "ok 600 minutes", "login-refused for user \"x\""
  bool is_dataset = false;  // bytes hold a DataSet document
};

// One-line description of a request for the log, e.g.
// "324 day-tracker camera=12 date=05.07.2013"; never holds the password.
std::string DescribeRequest(const SimRequest& request);

// Builds the reply to request. Unknown commands get an empty reply; for
// 324/715/716 wrong credentials get the login-failure document and an
// outcome naming the user name that arrived. Never fails.
SimReply AnswerRequest(const SimRequest& request, const Scenario& scenario,
                       const Credentials& credentials);

// Text safe for a one-line log: at most max_length bytes of printable ASCII,
// other bytes shown as '?', "..." appended when cut.
std::string LogSafe(const std::string& text, std::size_t max_length = 64);

}  // namespace qmsim

#endif  // QMSIM_REQUEST_HANDLER_H

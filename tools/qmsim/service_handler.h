// The service commands beside the recording query: their codes, log names,
// request descriptions and answers.
#ifndef QMSIM_SERVICE_HANDLER_H
#define QMSIM_SERVICE_HANDLER_H

#include <cstdint>
#include <string>

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"

namespace qmsim {

constexpr std::uint32_t kCmdPtz = 1;
constexpr std::uint32_t kCmdLiveStream = 2;
constexpr std::uint32_t kCmdMediaFrames = 302;
constexpr std::uint32_t kCmdFileHeader = 321;
constexpr std::uint32_t kCmdDirectory = 413;
constexpr std::uint32_t kCmdServerStatus = 414;
constexpr std::uint32_t kCmdVideoSpan = 30003;
constexpr std::uint32_t kCmdCameraMetadata = 50001;
constexpr std::uint32_t kCmdServerMetadata = 50002;
constexpr std::uint32_t kCmdCamerasMetadata = 50003;
constexpr std::uint32_t kCmdPresets = 50009;
constexpr std::uint32_t kCmdPlaybackStream = 50012;
constexpr std::uint32_t kCmdQuery = 50014;

// The log name of a service command ("ptz", "live-stream", ...), or null
// for a code that is not one.
const char* ServiceCommandName(std::uint32_t code);

// The request's parameters for its log line (after code and name), e.g.
// "camera=5 PTZAction cmdPanLeft value=3"; never the password.
std::string DescribeServiceParameters(const SimRequest& request);

// Answers a request/reply service command (not the two streams) whose
// credentials were checked. Never fails.
void AnswerServiceRequest(const SimRequest& request, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_SERVICE_HANDLER_H

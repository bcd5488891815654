#include "faults.h"

#include "dataset_reply.h"

namespace qmsim {
namespace {

struct NamedMode {
  const char* name;
  FaultMode mode;
};

const NamedMode kModes[] = {
    {"none", FaultMode::kNone},
    {"close", FaultMode::kClose},
    {"chunked", FaultMode::kChunked},
    {"stall", FaultMode::kStall},
    {"malformed", FaultMode::kMalformed},
    {"truncated", FaultMode::kTruncated},
    {"login-refused", FaultMode::kLoginRefused},
    {"nul", FaultMode::kNulByte},
    {"trailing-nul", FaultMode::kTrailingNul},
    {"pad", FaultMode::kPad},
    {"cut-frame", FaultMode::kCutFrame},
    {"oversized", FaultMode::kOversized},
};

}  // namespace

// Mismatched tags: no XML parser accepts this.
const char kMalformedDocument[] =
    "<DataSet><diffgr:diffgram><NewDataSet><Table><FileID>1</Table>"
    "</diffgr:diffgram>";

const char* FaultModeNames() {
  return "none, close, chunked, stall, malformed, truncated, login-refused, nul, "
         "trailing-nul, pad, cut-frame, oversized";
}

bool ParseFaultMode(const std::string& name, FaultMode* out) {
  for (const NamedMode& m : kModes) {
    if (name == m.name) {
      *out = m.mode;
      return true;
    }
  }
  return false;
}

const char* FaultModeName(FaultMode mode) {
  for (const NamedMode& m : kModes) {
    if (mode == m.mode) return m.name;
  }
  return "?";
}

FaultMode FaultFor(const FaultPlan& plan, std::uint32_t command) {
  if (plan.only_one_command && plan.command != command) return FaultMode::kNone;
  return plan.mode;
}

void ApplyContentFault(FaultMode mode, SimReply* reply) {
  std::string& bytes = reply->bytes;
  switch (mode) {
    case FaultMode::kNone:
    case FaultMode::kClose:
    case FaultMode::kChunked:
    case FaultMode::kStall:
      return;
    case FaultMode::kCutFrame:
    case FaultMode::kOversized:
      reply->outcome += std::string(", fault=") + FaultModeName(mode) + " not applied (not a stream)";
      return;
    case FaultMode::kMalformed:
      bytes = kMalformedDocument;
      reply->is_dataset = false;
      break;
    case FaultMode::kTruncated:
      bytes.resize(bytes.size() / 2);
      break;
    case FaultMode::kLoginRefused:
      bytes = kLoginFailureDocument;
      reply->is_dataset = false;
      break;
    case FaultMode::kNulByte:
      bytes.insert(bytes.size() / 2, 1, '\0');
      break;
    case FaultMode::kTrailingNul:
      bytes += '\0';
      bytes += "<unclosed";
      break;
    case FaultMode::kPad:
      if (!reply->is_dataset) {
        reply->outcome += ", fault=pad not applied (not a DataSet)";
        return;
      }
      // The comment sits right after the <DataSet ...> tag, before the
      // schema or the diffgram, where element lookups by name step over it,
      // so the rows stay readable.
      bytes.insert(bytes.find('>', bytes.find("<DataSet")) + 1,
                   "<!--" + std::string(kPadBytes - 7, '.') + "-->");
      break;
  }
  reply->outcome += std::string(", fault=") + FaultModeName(mode);
}

}  // namespace qmsim

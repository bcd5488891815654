#include "media_frames.h"

#include "binary_writer.h"
#include "stream_frames.h"

namespace qmsim {

void AnswerMediaFrames(const SimRequest& request, const ServerState& state, SimReply* reply) {
  std::uint32_t camera_id = 0;
  const SimCamera* camera = nullptr;
  const SimFile* file = state.scenario.FindFileByName(request.str1, &camera);
  if (file && (!ParseUnsigned32(request.str3, &camera_id) || camera_id != camera->id)) {
    file = nullptr;
  }
  std::string records;
  std::uint32_t count = 0;
  if (file) {
    const std::uint32_t wanted = request.camera_valid ? static_cast<std::uint32_t>(request.camera) : 0;
    const std::uint32_t from = request.int2_valid ? static_cast<std::uint32_t>(request.int2) : 0;
    for (std::uint32_t i = from; i < file->frames && count < kMaxMediaRecords &&
                                 (wanted == 0 || count < wanted);
         ++i, ++count) {
      const std::string payload = FramePayload(camera->stream, i);
      if (records.size() + payload.size() + 8 > kMaxMediaBytes) break;
      BinaryWriter record;
      record.U32(static_cast<std::uint32_t>(8 + payload.size()));
      record.U32((FrameFlag(camera->stream, i) == 1 ? 1u << 24 : 0u) | (i & 0xFFFFFF));
      record.Text(payload);
      records += record.Bytes();
    }
  }
  BinaryWriter out;
  out.U32(0);
  out.U16(count);
  out.Text(records);
  reply->bytes = out.Bytes();
  reply->outcome = std::string(file ? "ok " : "unknown-file ") + std::to_string(count) + " records";
}

}  // namespace qmsim

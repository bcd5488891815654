#include "stream_frames.h"

#include "binary_writer.h"
#include "file_frames.h"

namespace qmsim {

std::string FramePayload(const SimStream& stream, std::uint32_t i) {
  if (!stream.frames.empty()) return stream.frames[i % stream.frames.size()].payload;
  std::string payload(stream.bytes, '\0');
  for (std::uint32_t j = 0; j < stream.bytes; ++j) payload[j] = static_cast<char>((i + j) & 0xFF);
  return payload;
}

std::uint8_t FrameFlag(const SimStream& stream, std::uint32_t i) {
  if (!stream.frames.empty()) {
    const int flag = stream.frames[i % stream.frames.size()].flag;
    if (flag >= 0) return static_cast<std::uint8_t>(flag);
  }
  return i % stream.key_interval == 0 ? 1 : 0;
}

std::string LiveFrame(const SimCamera& camera, std::uint32_t i, std::uint32_t announced) {
  const std::string payload = FramePayload(camera.stream, i);
  BinaryWriter out;
  out.U16(0);
  out.U32(announced != 0 ? announced
                         : static_cast<std::uint32_t>(kLiveHeaderSize + payload.size()));
  out.U32(i);
  out.U8(static_cast<std::uint8_t>(camera.id & 0xFF));
  out.U8(FrameFlag(camera.stream, i));
  out.U16(camera.info.width & 0xFFFF);
  out.U16(camera.info.height & 0xFFFF);
  out.U16(camera.info.fps & 0xFFFF);
  out.Text(payload);
  return out.Bytes();
}

std::string PlaybackRecord(const SimCamera& camera, const SimFile& file, std::uint32_t i,
                           std::uint32_t announced) {
  const std::string payload = FramePayload(camera.stream, i);
  const std::uint64_t ticks = FrameTicks(file, i);
  const bool key = FrameFlag(camera.stream, i) == 1;
  BinaryWriter out;
  out.U32(announced != 0 ? announced : static_cast<std::uint32_t>(24 + payload.size()));
  out.U32(24);
  out.U32(static_cast<std::uint32_t>(ticks));
  out.U32(static_cast<std::uint32_t>(ticks >> 32));
  out.U32(file.id);
  out.U32(camera.id);
  out.U32((i & 0xFFFFFF) | (key ? 1u << 24 : 0u));
  out.Text(payload);
  return out.Bytes();
}

std::string SkipRecord(const SimStream& stream) {
  BinaryWriter out;
  out.U32(2);
  out.U32(stream.skip_bytes);
  out.Text(std::string(stream.skip_bytes, 'S'));
  return out.Bytes();
}

std::string EndWord(const SimStream& stream) {
  BinaryWriter out;
  out.U32(stream.end_word);
  return out.Bytes();
}

}  // namespace qmsim

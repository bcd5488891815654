// Live streams: the camera-stream request and the live frame loop on the
// data channel at the server's live port.
#include "client/server.h"
#include "services/stream_format.h"

namespace QM {

ByteVector Server::ReqPkt_GetCameraStream(unsigned int camera_id) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetCameraStream(camera_id, &count);
  return FrameBytes(frame, count);
}

ByteVector Server::ReqPkt_GetCameraStream(CameraMap cameras) {
  SetCredentials();
  unsigned int count = 0;
  const char* frame = pkt_.GetCameraStream(cameras, &count);
  return FrameBytes(frame, count);
}

bool Server::GetLiveStream(unsigned int camera_id) {
  ByteVector request = ReqPkt_GetCameraStream(camera_id);
  if (!OpenDataChannel(live_port_)) return false;
  WriteConnection(request);

  // One vector carries each header and then its payload; it only grows to
  // the largest frame seen, so a steady stream allocates nothing per frame.
  ByteVector buffer;
  for (;;) {
    buffer.resize(kLiveHeaderBytes);
    if (ReadConnection(buffer) < kLiveHeaderBytes) break;
    const LiveFrameHeader header = DecodeLiveFrameHeader(buffer.data());
    // A length below the header's own size cannot be followed; a payload
    // over the bound is not allocated. Both end the stream.
    if (header.length < kLiveHeaderBytes) break;
    const unsigned int payload = header.length - kLiveHeaderBytes;
    if (payload > kMaxStreamPayloadBytes) break;
    buffer.resize(payload);
    if (ReadConnection(buffer) < payload) break;
    if (NewLiveFrame(header.value_a, header.key_frame, header.value_b,
                     header.value_c, header.value_d, header.value_e, buffer))
      break;
  }
  CloseConnection();
  return true;
}

}  // namespace QM

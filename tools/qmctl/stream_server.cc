// Stream hooks of qmctl's server client.
#include "stream_server.h"

namespace qmctl {

StreamServer::StreamServer(const wchar_t* address, unsigned short port,
                           const wchar_t* user, const wchar_t* password)
    : QMLinux(address, port, user, password, 0, 0) {}

void StreamServer::SetLiveFrameLimit(unsigned long long frames) {
  live_limit_ = frames == 0 ? 1 : frames;
}

void StreamServer::SetPlaybackStop(unsigned int value, unsigned int frame_number) {
  has_stop_ = true;
  stop_value_ = value;
  stop_frame_ = frame_number;
}

bool StreamServer::Take(bool key_frame, const QM::ByteVector& payload) {
  ++tally_.frames;
  tally_.bytes += payload.size();
  if (key_frame) ++tally_.key_frames;
  if (payload_file_ != nullptr && !payload.empty() &&
      std::fwrite(payload.data(), 1, payload.size(), payload_file_) != payload.size()) {
    tally_.write_failed = true;
  }
  if (progress_ != nullptr) progress_->Update(tally_.frames, tally_.bytes);
  return !tally_.write_failed;
}

bool StreamServer::NewLiveFrame(unsigned int, bool key_frame, unsigned int,
                                unsigned int, unsigned int, unsigned short,
                                QM::ByteVector& payload) {
  if (!Take(key_frame, payload)) return true;
  return tally_.frames >= live_limit_;
}

bool StreamServer::NewPlaybackFrame(bool key_frame, unsigned long long ticks,
                                    unsigned int frame_number, unsigned int value,
                                    unsigned int, QM::ByteVector& payload) {
  if (tally_.frames == 0) tally_.first_ticks = ticks;
  tally_.last_ticks = ticks;
  tally_.last_frame_number = frame_number;
  if (has_stop_ && value == stop_value_ && frame_number == stop_frame_) {
    tally_.stop_frame_seen = true;
  }
  return !Take(key_frame, payload);
}

}  // namespace qmctl

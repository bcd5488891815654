// The server client qmctl talks through: QMLinux with stream hooks that
// count what arrives, write payloads to a file when asked, show progress,
// and take as many live frames as the command wants.
#pragma once

#include <cstdio>

#include "progress_line.h"
#include "protocol/qmlinux.h"

namespace qmctl {

// What a stream delivered.
struct StreamTally {
  unsigned long long frames = 0;
  unsigned long long bytes = 0;       // payload bytes
  unsigned long long key_frames = 0;  // frames with the frame flag set
  unsigned long long first_ticks = 0; // playback: time of the first frame
  unsigned long long last_ticks = 0;  // playback: time of the last frame
  unsigned int last_frame_number = 0; // playback: frame number of the last frame
  bool stop_frame_seen = false;       // playback: the stop frame arrived
  bool write_failed = false;          // the payload file could not be written
};

class StreamServer : public QMLinux {
 public:
  StreamServer(const wchar_t* address, unsigned short port, const wchar_t* user,
               const wchar_t* password);

  // Live frames to take before ending the stream (at least 1; the default).
  void SetLiveFrameLimit(unsigned long long frames);
  // The playback frame that ends the stream (fourth header word and frame
  // number), to tell it from the server's end; unset by default.
  void SetPlaybackStop(unsigned int value, unsigned int frame_number);
  // Payloads are appended to `out` (not owned; null: kept nowhere). A write
  // failure ends the stream and sets write_failed.
  void SetPayloadFile(std::FILE* out) { payload_file_ = out; }
  // Shown while frames arrive, when not null (not owned).
  void SetProgress(ProgressLine* progress) { progress_ = progress; }

  const StreamTally& Tally() const { return tally_; }

  // Counts the frame; answers true (end) once the limit is reached or a
  // write failed.
  bool NewLiveFrame(unsigned int value_a, bool key_frame, unsigned int value_b,
                    unsigned int value_c, unsigned int value_d,
                    unsigned short value_e, QM::ByteVector& payload) override;
  // Counts the frame; answers false (go on) unless a write failed. The
  // library itself ends the stream at the stop frame.
  bool NewPlaybackFrame(bool key_frame, unsigned long long ticks,
                        unsigned int frame_number, unsigned int value,
                        unsigned int extra, QM::ByteVector& payload) override;

 private:
  // Counts and stores one frame; false when its payload could not be written.
  bool Take(bool key_frame, const QM::ByteVector& payload);

  StreamTally tally_;
  unsigned long long live_limit_ = 1;
  bool has_stop_ = false;
  unsigned int stop_value_ = 0;
  unsigned int stop_frame_ = 0;
  std::FILE* payload_file_ = nullptr;
  ProgressLine* progress_ = nullptr;
};

}  // namespace qmctl

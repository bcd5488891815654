// The binary file header of a recorded file: header values, the
// kind-dependent fields, the extension block and the frame table after it.
#include "client/server.h"
#include "services/byte_reader.h"
#include "services/server_version.h"

namespace QM {

namespace {

// Header tags that mean the file has no header.
const unsigned int kNoHeaderTag = 0;
const unsigned int kNoHeaderTagAlt = 65535;
// A reply must be longer than this to hold a header tag.
const unsigned int kShortestHeaderReply = 3;
// Format kinds whose header carries kind value D1 (and, for kind 2, D2).
const unsigned int kKindOne = 1;
const unsigned int kKindTwo = 2;
const unsigned int kLastKindWithD1 = 7;

// Reads the header fields after the header tag into `file`, then the frame
// table. False when the reply ends before a field it announces; the reader
// then has touched nothing beyond the reply.
bool ReadHeaderFields(ByteReader& in, bool kind_one_has_d1, VideoFile& file) {
  file.HeaderValue4 = in.U32();
  file.Rate = in.U32() / 1000.0;
  file.TotalFrames = in.U32();
  file.HeaderValue16 = in.U32();
  const unsigned int format = in.U32();
  file.FormatKind = format >> 24;
  file.FormatValue = format & 0xFFFFFFu;

  if (file.FormatKind == kKindOne) {
    file.ValueA = in.U32();
    file.ValueB = in.U32();
    file.ValueC = in.U32();
    if (kind_one_has_d1) file.ValueD1 = in.U32();
  } else if (file.FormatKind >= kKindTwo &&
             file.FormatKind <= kLastKindWithD1) {
    file.ValueD1 = in.U32();
    if (file.FormatKind == kKindTwo) file.ValueD2 = in.U32();
  }

  file.ExtensionWord = in.U16();
  if (file.ExtensionWord != 0) {
    file.ValueE1 = in.U16();
    file.ValueE2 = in.U16();
    file.ValueE3 = in.U16();
    file.ValueE4 = in.U16();
    file.ValueE5 = in.U16();
    file.ValueF1 = in.U32();
    file.ValueF2 = in.U32();
    file.ValueF3 = in.U32();
    file.ValueF4 = in.U32();
    file.ValueG = in.U16();
  }
  if (in.Failed()) return false;

  const size_t table_bytes = in.Remaining();
  const unsigned char* table = in.Take(table_bytes);
  if (table_bytes != 0) file.FrameTable.assign(table, table + table_bytes);
  return true;
}

}  // namespace

void Server::RspPkt_ParseVideoFileMetadata(const void* reply,
                                           unsigned int length,
                                           boost::shared_ptr<VideoFile> file) {
  if (!file) return;
  file->ClearAll();
  if (reply == nullptr || length <= kShortestHeaderReply) return;
  ByteReader in(reply, length);
  const unsigned int tag = in.U32();
  if (tag == kNoHeaderTag || tag == kNoHeaderTagAlt) return;

  // A header cut short leaves the file as one without header: cleared, and
  // the list's frame count kept.
  const unsigned int list_frames = file->TotalFrames;
  file->HeaderTag = tag;
  const bool kind_one_has_d1 = VersionNumber(version_) > kKindOneD1AfterVersion;
  if (!ReadHeaderFields(in, kind_one_has_d1, *file)) {
    file->ClearAll();
    file->TotalFrames = list_frames;
  }
}

}  // namespace QM

// The binary reply parsers of the server services, each against a model of
// its byte layout written here. The first input byte chooses:
//   0 file header, then `timestamp` at fuzzed indexes. Input after the
//     selector: a version byte (0-4 one of the versions below, else a
//     length-prefixed version text of at most 24 bytes follows), the list's
//     frame count (4 bytes), a count byte n, n indexes (4 bytes each), and
//     the rest is the header reply;
//   1 media-streaming walker: the rest is the reply;
//   2 directory listing: the rest is the reply.
// The parsers' results must equal the model's exactly (every header field,
// the frame table, every frame time, the last frame number, every name).
#include <boost/make_shared.hpp>
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "client/server.h"
#include "fuzz/fuzz_input.h"
#include "protocol/text_convert.h"
#include "services/server_version.h"

namespace {

// The version texts a header may be read under: none, the last version
// without kind value D1, the first with it, a current one, a bare number.
const wchar_t* const kVersions[] = {L"", L"5.5.24.2", L"5.5.24.3", L"6.2.18.2", L"5"};

// A server whose stored version the target chooses.
class VersionServer : public QM::Server {
 public:
  explicit VersionServer(const std::wstring& version) { version_ = version; }
};

// Little-endian numbers of a byte string; 0 past its end.
uint32_t Le(const std::string& bytes, size_t at, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) {
    if (at + i < bytes.size()) value |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
  }
  return value;
}

// A copy in a buffer of exactly its size, so that a read past the reply's
// end lands in the sanitizer's red zone (a string may hold it inline).
std::vector<char> Exact(const std::string& bytes) {
  return std::vector<char>(bytes.begin(), bytes.end());
}

// Bytes of the kind-dependent fields of format kind `kind`.
size_t KindBytes(uint32_t kind, bool kind_one_has_d1) {
  if (kind == 1) return kind_one_has_d1 ? 16 : 12;
  if (kind == 2) return 8;
  if (kind >= 3 && kind <= 7) return 4;
  return 0;
}

// Frame time of `index` as the frame table defines it.
uint64_t ModelTimestamp(const std::vector<unsigned char>& table, uint32_t total, uint32_t index) {
  if (index >= total || table.size() < 8) return 0;
  uint64_t base = 0;
  for (int i = 7; i >= 0; --i) base = base << 8 | table[i];
  if (index == 0) return base;
  const uint64_t at = 4 + 4 * uint64_t{index};
  if (at + 4 > table.size()) return 0;
  const uint64_t offset = uint64_t{table[at]} | uint64_t{table[at + 1]} << 8 |
                          uint64_t{table[at + 2]} << 16 | uint64_t{table[at + 3]} << 24;
  return base + offset * 10000;
}

void CheckCleared(const QM::VideoFile& file) {
  FUZZ_CHECK(file.HeaderTag == 0 && file.HeaderValue4 == 0 && file.Rate == 0.0 &&
             file.HeaderValue16 == 0 && file.FormatValue == 0 && file.FormatKind == 0 &&
             file.ExtensionWord == 0 && file.ValueA == 0 && file.ValueB == 0 && file.ValueC == 0 &&
             file.ValueD1 == 0 && file.ValueD2 == 0 && file.ValueE1 == 0 && file.ValueE5 == 0 &&
             file.ValueF1 == 0 && file.ValueF4 == 0 && file.ValueG == 0 && file.FrameTable.empty());
}

void FileHeader(qmfuzz::FuzzInput& in) {
  const uint8_t choice = in.Byte();
  const std::wstring version = choice < sizeof kVersions / sizeof kVersions[0]
                                   ? std::wstring(kVersions[choice])
                                   : string_to_wstring(in.Sized(24));
  const uint32_t list_frames = in.U32();
  std::vector<uint32_t> indexes(in.Byte());
  for (uint32_t& index : indexes) index = in.U32();
  const std::string reply = in.Rest();

  VersionServer server(version);
  const QM::VideoFilePtr file = boost::make_shared<QM::VideoFile>(L"file.vid");
  file->TotalFrames = list_frames;
  file->FrameTable.assign(3, 0xAB);  // an earlier header's table
  file->HeaderTag = 9;
  const std::vector<char> exact = Exact(reply);
  server.RspPkt_ParseVideoFileMetadata(exact.data(), static_cast<unsigned int>(exact.size()), file);

  // The header's length as its own fields announce it.
  const uint32_t tag = Le(reply, 0, 4);
  const uint32_t kind = Le(reply, 20, 4) >> 24;
  const bool has_d1 = QM::VersionNumber(version) > QM::kKindOneD1AfterVersion;
  const size_t kind_bytes = KindBytes(kind, has_d1);
  const size_t extension_at = 24 + kind_bytes;
  const uint32_t extension = Le(reply, extension_at, 2);
  const size_t header = extension_at + 2 + (extension != 0 ? 28 : 0);
  const bool no_header = reply.size() <= 3 || tag == 0 || tag == 65535;
  if (no_header || reply.size() < header) {
    CheckCleared(*file);
    FUZZ_CHECK(file->TotalFrames == list_frames);
  } else {
    FUZZ_CHECK(file->HeaderTag == tag && file->HeaderValue4 == Le(reply, 4, 4));
    FUZZ_CHECK(file->Rate == Le(reply, 8, 4) / 1000.0);
    FUZZ_CHECK(file->TotalFrames == Le(reply, 12, 4) && file->HeaderValue16 == Le(reply, 16, 4));
    FUZZ_CHECK(file->FormatKind == kind && file->FormatValue == (Le(reply, 20, 4) & 0xFFFFFF));
    FUZZ_CHECK(file->ExtensionWord == extension);
    if (kind == 1) {
      FUZZ_CHECK(file->ValueA == Le(reply, 24, 4) && file->ValueB == Le(reply, 28, 4) &&
                 file->ValueC == Le(reply, 32, 4));
      FUZZ_CHECK(file->ValueD1 == (has_d1 ? Le(reply, 36, 4) : 0));
    } else {
      FUZZ_CHECK(file->ValueD1 == (kind_bytes >= 4 ? Le(reply, 24, 4) : 0));
      FUZZ_CHECK(file->ValueD2 == (kind == 2 ? Le(reply, 28, 4) : 0));
    }
    if (extension != 0) {
      const size_t e = extension_at + 2;
      FUZZ_CHECK(file->ValueE1 == Le(reply, e, 2) && file->ValueE5 == Le(reply, e + 8, 2));
      FUZZ_CHECK(file->ValueF1 == Le(reply, e + 10, 4) && file->ValueF4 == Le(reply, e + 22, 4));
      FUZZ_CHECK(file->ValueG == Le(reply, e + 26, 2));
    } else {
      FUZZ_CHECK(file->ValueE1 == 0 && file->ValueF1 == 0 && file->ValueG == 0);
    }
    FUZZ_CHECK(file->FrameTable.size() == reply.size() - header);
    FUZZ_CHECK(std::equal(file->FrameTable.begin(), file->FrameTable.end(),
                          reply.begin() + static_cast<std::ptrdiff_t>(header),
                          [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); }));
  }
  // The list fields are never the header's business.
  FUZZ_CHECK(file->FileName == L"file.vid" && file->StartTime == 0 && file->FileID == 0);

  const uint32_t total = file->TotalFrames;
  indexes.push_back(0);
  indexes.push_back(1);
  indexes.push_back(total);
  indexes.push_back(total - 1);
  indexes.push_back(static_cast<uint32_t>(file->FrameTable.size() / 4));
  for (uint32_t index : indexes) {
    FUZZ_CHECK(file->timestamp(index) == ModelTimestamp(file->FrameTable, total, index));
  }
  // A null file is refused quietly.
  server.RspPkt_ParseVideoFileMetadata(reply.data(), static_cast<unsigned int>(reply.size()),
                                       QM::VideoFilePtr());
}

void MediaStreaming(const std::string& reply) {
  uint32_t expected = 0;
  if (reply.size() >= 6) {
    size_t at = 6;
    for (uint32_t i = 0, n = Le(reply, 4, 2); i < n && reply.size() - at >= 8; ++i) {
      const uint32_t length = Le(reply, at, 4);
      if (length < 8 || length > reply.size() - at) break;
      expected = Le(reply, at + 4, 4) & 0xFFFFFF;
      at += length;
    }
  }
  const std::vector<char> exact = Exact(reply);
  const uint32_t last = QM::Server::RspPkt_ParseMediaFileAVStreaming(
      exact.data(), static_cast<unsigned int>(reply.size()), QM::VideoFilePtr());
  FUZZ_CHECK(last == expected);
}

void DirectoryListing(const std::string& reply) {
  std::vector<std::wstring> expected;
  if (reply.size() >= 26) {
    size_t at = 26;
    for (uint32_t i = 0, n = Le(reply, 22, 4); i < n && at + 6 <= reply.size(); ++i) {
      const size_t length = static_cast<uint8_t>(reply[at + 5]);
      if (at + 6 + length > reply.size()) break;
      expected.push_back(string_to_wstring(reply.substr(at + 6, length)));
      at += 6 + length;
    }
  }
  const std::vector<char> exact = Exact(reply);
  const std::vector<std::wstring> names = QM::Server::RspPkt_ParseCameraVideoFileDirectories(
      exact.data(), static_cast<unsigned int>(reply.size()));
  FUZZ_CHECK(names == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qmfuzz::FuzzInput in(data, size);
  switch (in.Byte() % 3) {
    case 0: FileHeader(in); break;
    case 1: MediaStreaming(in.Rest()); break;
    default: DirectoryListing(in.Rest()); break;
  }
  return 0;
}

// The binary replies: file headers with their frame tables, and directory
// listings. Every reply is parsed from a buffer of exactly its size.
#include <algorithm>

#include "tests/services/services_test_util.h"

namespace {

using namespace qm_services_test;

// Appends `value` as `width` little-endian bytes.
ByteVector& Put(ByteVector& b, unsigned long long value, int width) {
  for (int i = 0; i < width; ++i) b.push_back(static_cast<unsigned char>(value >> (8 * i)));
  return b;
}

const unsigned long long kBase = 634722354150000000ULL;

// Tag 7, 8, rate 29970, 3 frames, 9, format `kind` with value 0x123456; then
// `words` kind-dependent words 101, 102, ...; the extension word (1 with the
// block E1-E5 = 1-5, F1-F4 = 11-14, G = 21, else 0); the frame table: base
// time, offsets 40 and 80.
ByteVector Header(unsigned int kind, unsigned int words, bool extension) {
  ByteVector b;
  for (unsigned int w : {7u, 8u, 29970u, 3u, 9u, kind << 24 | 0x123456u}) Put(b, w, 4);
  for (unsigned int i = 0; i < words; ++i) Put(b, 101 + i, 4);
  Put(b, extension, 2);
  for (int i = 0; extension && i < 10; ++i)
    Put(b, i < 5 ? i + 1 : i < 9 ? i + 6 : 21, i < 5 || i == 9 ? 2 : 4);
  return Put(Put(Put(b, kBase, 8), 40, 4), 80, 4);
}

// A file listed with 50 frames, after the header `reply` of a server at `version`.
boost::shared_ptr<QM::VideoFile> Parse(ByteVector reply, const std::string& version) {
  FakeServer server;
  server.Describe("1", version);
  auto file = boost::make_shared<QM::VideoFile>(L"a.dat");
  file->TotalFrames = 50;
  server.RspPkt_ParseVideoFileMetadata(reply.empty() ? nullptr : reply.data(), reply.size(), file);
  return file;
}

TEST(FileHeader, KindFieldsAndExtensionBlockPlaceTheFrameTable) {
  const std::vector<unsigned> kNoExtension(11, 0),
      kExtension = {1, 1, 2, 3, 4, 5, 11, 12, 13, 14, 21};
  // abcd: A, B, C, D1, D2; the header holds as many words as abcd has values
  // that are not 0.
  const struct { unsigned int kind; std::string version; bool ext; std::vector<unsigned> abcd;
  } cases[] = {
      {0, "6.2.18.2", false, {0, 0, 0, 0, 0}}, {1, "5.5.24.2", false, {101, 102, 103, 0, 0}},
      {1, "5.5.24.3", false, {101, 102, 103, 104, 0}}, {1, "", false, {101, 102, 103, 0, 0}},
      {1, "6.2.18.2", false, {101, 102, 103, 104, 0}}, {1, "6", false, {101, 102, 103, 0, 0}},
      {2, "", false, {0, 0, 0, 101, 102}}, {3, "", false, {0, 0, 0, 101, 0}},
      {7, "", false, {0, 0, 0, 101, 0}}, {8, "", false, {0, 0, 0, 0, 0}},
      {0, "", true, {0, 0, 0, 0, 0}}, {2, "", true, {0, 0, 0, 101, 102}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << " at " << c.version << " " << c.ext);
    const unsigned words = 5 - std::count(c.abcd.begin(), c.abcd.end(), 0u);
    const auto f = Parse(Header(c.kind, words, c.ext), c.version);
    EXPECT_EQ(std::make_tuple(7u, 8u, 29.97, 3u, 9u, 0x123456u, c.kind),
              std::make_tuple(f->HeaderTag, f->HeaderValue4, f->Rate, f->TotalFrames,
                              f->HeaderValue16, f->FormatValue, f->FormatKind));
    EXPECT_EQ(c.abcd,
              (std::vector<unsigned>{f->ValueA, f->ValueB, f->ValueC, f->ValueD1, f->ValueD2}));
    EXPECT_EQ(c.ext ? kExtension : kNoExtension,
              (std::vector<unsigned>{f->ExtensionWord, f->ValueE1, f->ValueE2, f->ValueE3,
                                     f->ValueE4, f->ValueE5, f->ValueF1, f->ValueF2, f->ValueF3,
                                     f->ValueF4, f->ValueG}));
    // Frame 0 is the base time; the total frames (3) is past the last frame.
    EXPECT_EQ((std::vector<unsigned long long>{kBase, kBase + 400000, kBase + 800000, 0}),
              (std::vector<unsigned long long>{f->timestamp(0), f->timestamp(1), f->timestamp(2),
                                               f->timestamp(3)}));
  }
}

TEST(FileHeader, ShortOrMissingHeaderLeavesFileClearedNoFrameTimeFromBeyondTable) {
  const ByteVector full = Header(2, 2, true);
  const size_t header_bytes = full.size() - 16;
  // Decision: a header cut short leaves the file as one without header, with
  // the list's frame count.
  for (size_t n = 0; n < header_bytes; ++n) {
    const auto f = Parse(ByteVector(full.begin(), full.begin() + n), "");
    EXPECT_EQ(std::make_tuple(0u, 0u, 0u, 50u, true),
              std::make_tuple(f->HeaderTag, f->FormatKind, f->ValueD1, f->TotalFrames,
                              f->FrameTable.empty())) << n << " bytes";
  }
  for (unsigned char tag_high : {0x00, 0xFF}) {
    ByteVector no_header = full;
    no_header[0] = no_header[1] = tag_high;  // tag 0 or 65535
    const auto f = Parse(no_header, "");
    EXPECT_TRUE(f->HeaderTag == 0 && f->FrameTable.empty() && f->TotalFrames == 50);
  }
  // A table holding nothing, the base time, or part of frame 1's offset.
  for (size_t table : {0, 8, 11}) {
    const auto f = Parse(ByteVector(full.begin(), full.begin() + header_bytes + table), "");
    EXPECT_EQ(table, f->FrameTable.size());
    EXPECT_EQ(std::make_tuple(table ? kBase : 0, 0ULL, 0ULL),
              std::make_tuple(f->timestamp(0), f->timestamp(1), f->timestamp(2)));
  }
  // A later reply without header frees the table of an earlier one.
  FakeServer server;
  auto file = Parse(full, "");
  server.RspPkt_ParseVideoFileMetadata(full.data(), 3, file);
  EXPECT_TRUE(file->FrameTable.empty() && file->HeaderTag == 0 && file->TotalFrames == 3);
  server.RspPkt_ParseVideoFileMetadata(full.data(), full.size(), nullptr);
}

TEST(DirectoryListing, NamesUpToAnnouncedCountAndOnlyWhollyInsideReply) {
  // Entries "2013-05-07", "" and "2013-05-08" after the count; `cut` bytes dropped.
  const auto listing = [](unsigned int count, size_t cut) {
    ByteVector b(22, 0xEE);
    Put(b, count, 4);
    for (const std::string name : {"2013-05-07", "", "2013-05-08"}) {
      Put(Put(b, 0, 5), name.size(), 1).insert(b.end(), name.begin(), name.end());
    }
    b.resize(b.size() - cut);
    return QM::Server::RspPkt_ParseCameraVideoFileDirectories(b.data(), b.size());
  };
  typedef std::vector<std::wstring> Names;
  EXPECT_EQ((Names{L"2013-05-07", L"", L"2013-05-08"}), listing(3, 0));
  EXPECT_EQ((Names{L"2013-05-07"}), listing(1, 0));
  EXPECT_EQ((Names{L"2013-05-07", L""}), listing(4000000000u, 1));
  EXPECT_EQ(Names{}, listing(3, 39));  // the count cut short
  EXPECT_EQ(Names{}, QM::Server::RspPkt_ParseCameraVideoFileDirectories(nullptr, 0));
}

}  // namespace

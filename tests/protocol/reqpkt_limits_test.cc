// Requests that do not fit the packet's fixed buffers are refused with send
// count 0 and an empty frame; nothing is written past a buffer (the suite
// runs under AddressSanitizer too). Requests exactly at a limit still go out.
#include <cwchar>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "protocol/qmreqpkt.h"
#include "reqpkt_test_util.h"

namespace {

using qmtest::FrameLength;
using qmtest::FrameText;
using qmtest::StrParam;

// Asserts the frame of a refused request: count 0, length 0, empty text.
void ExpectRefused(const char* frame, unsigned int count) {
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(FrameLength(frame), 0u);
  EXPECT_EQ(frame[5], '\0');
}

// Runs a builder with a non-zero count and asserts it refused the request.
void ExpectRefusedBuild(const std::function<char*(unsigned int*)>& build) {
  unsigned int count = 777;
  const char* frame = build(&count);
  ExpectRefused(frame, count);
}

// Bytes of the 8-bit text for a date-tracker request with `date`.
unsigned int TrackerCount(QM::ReqPkt& pkt, const std::wstring& date) {
  unsigned int count = 0;
  pkt.GetDateTimeTracker(1, date, &count);
  return count;
}

TEST(ReqPktLimits, TextOfExactly4100BytesIsFramedAndOneMoreIsRefused) {
  QM::ReqPkt pkt;
  const unsigned int base = TrackerCount(pkt, L"x");
  ASSERT_GT(base, 5u);
  const size_t base_bytes = base - 5;
  ASSERT_LT(base_bytes, QM::ReqPkt::kTextBytes);

  const std::wstring at_limit(1 + QM::ReqPkt::kTextBytes - base_bytes, L'x');
  unsigned int count = 0;
  const char* frame = pkt.GetDateTimeTracker(1, at_limit, &count);
  ASSERT_EQ(count, QM::ReqPkt::kTextBytes + 5);
  EXPECT_EQ(FrameLength(frame), QM::ReqPkt::kTextBytes + 4);
  EXPECT_EQ(frame[5 + QM::ReqPkt::kTextBytes], '\0');
  EXPECT_EQ(FrameText(frame, count).substr(QM::ReqPkt::kTextBytes - 22),
            "</SOAP-ENV:Envelope>\r\n");

  count = 777;
  frame = pkt.GetDateTimeTracker(1, at_limit + L"x", &count);
  ExpectRefused(frame, count);
}

TEST(ReqPktLimits, EnvelopeBeyondItsWideBufferIsRefused) {
  QM::ReqPkt pkt;
  // Longer than the whole envelope buffer on its own.
  const std::wstring huge(QM::ReqPkt::kEnvelopeChars + 100, L'y');
  ExpectRefusedBuild([&](unsigned int* c) {
    return pkt.GetRecordingInfo(1, huge, huge, c);
  });

  // Credentials alone can overflow the wide buffer part-way through the
  // header lines.
  pkt.SetUser(std::wstring(QM::ReqPkt::kEnvelopeChars - 800, L'u').c_str());
  ExpectRefusedBuild([&](unsigned int* c) { return pkt.GetServerStatus(c); });
}

TEST(ReqPktLimits, EnvelopeFillingAllButTheTerminatorIsComposedWhole) {
  QM::ReqPkt pkt;
  const size_t base = std::wcslen(pkt.CreateCommand(1));
  const std::wstring tail = L"</SOAP-ENV:Envelope>\r\n";

  // Exactly 8191 characters and the terminator: composed completely (the
  // 8-bit text limit still refuses to frame it).
  pkt.SetUser(std::wstring(QM::ReqPkt::kEnvelopeChars - 1 - base, L'u').c_str());
  std::wstring full = pkt.CreateCommand(1);
  EXPECT_EQ(full.size(), QM::ReqPkt::kEnvelopeChars - 1);
  EXPECT_EQ(full.substr(full.size() - tail.size()), tail);
  EXPECT_EQ(pkt.EnsureCharset(), 0u);

  // One character more: the last line no longer fits and is not written.
  pkt.SetUser(std::wstring(QM::ReqPkt::kEnvelopeChars - base, L'u').c_str());
  full = pkt.CreateCommand(1);
  EXPECT_LT(full.size(), QM::ReqPkt::kEnvelopeChars);
  EXPECT_NE(full.substr(full.size() - tail.size()), tail);
  EXPECT_EQ(pkt.EnsureCharset(), 0u);
  EXPECT_EQ(FrameLength(pkt.Frame()), 0u);
}

TEST(ReqPktLimits, RefusalDoesNotStickToTheNextRequest) {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  pkt.GetDateTimeTracker(1, std::wstring(QM::ReqPkt::kEnvelopeChars, L'z'),
                         &count);
  ASSERT_EQ(count, 0u);
  const char* frame = pkt.GetDateTimeTracker(1, L"05.07.2013", &count);
  ASSERT_GT(count, 0u);
  EXPECT_EQ(StrParam(FrameText(frame, count), 1), "05.07.2013");
}

TEST(ReqPktLimits, CharacterWithoutByteFormInCLocaleIsRefused) {
  QM::ReqPkt pkt;
  // U+263A and U+00E9 have no form in the "C" locale.
  ExpectRefusedBuild([&](unsigned int* c) {
    return pkt.GetDateTimeTracker(1, L"smile \x263A", c);
  });
  pkt.SetPassword(L"caf\xE9");
  ExpectRefusedBuild([&](unsigned int* c) { return pkt.GetServerStatus(c); });
}

// Query B's fixed part: the query with empty file names and camera 4.
size_t QueryBFixedChars() {
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetCameraVideoFiles(4, &count, L"", L"");
  return StrParam(FrameText(frame, count), 1).size();
}

TEST(ReqPktLimits, CameraVideoFilesQueryRefusedPastItsBuffer) {
  const size_t fixed = QueryBFixedChars();
  ASSERT_GT(fixed, 400u);
  // The query buffer holds 1023 characters and the terminator.
  const size_t room = 1023 - fixed;
  QM::ReqPkt pkt;
  unsigned int count = 0;
  const char* frame = pkt.GetCameraVideoFiles(
      4, &count, std::wstring(room - 10, L'a'), std::wstring(10, L'b'));
  ASSERT_GT(count, 0u);
  EXPECT_EQ(StrParam(FrameText(frame, count), 1).size(), 1023u);

  count = 777;
  frame = pkt.GetCameraVideoFiles(4, &count, std::wstring(room - 9, L'a'),
                                  std::wstring(10, L'b'));
  ExpectRefused(frame, count);
}

TEST(ReqPktLimits, VideoFilesQueryPastItsBufferIsRefused) {
  QM::ReqPkt pkt;
  // Three copies of the names exceed the 8192-character query buffer.
  const std::wstring name(3000, L'n');
  ExpectRefusedBuild(
      [&](unsigned int* c) { return pkt.GetVideoFiles(name, name, c); });
  // Within the query buffer but beyond the 8-bit text.
  const std::wstring medium(1200, L'm');
  ExpectRefusedBuild(
      [&](unsigned int* c) { return pkt.GetVideoFiles(medium, medium, c); });
}

TEST(ReqPktLimits, CameraListPastItsBufferIsRefused) {
  QM::ReqPkt pkt;
  QM::CameraMap many;
  // 23 characters per item: 400 items need far more than 4096 characters.
  for (unsigned int i = 0; i < 400; ++i) many[4000000000u + i];
  ExpectRefusedBuild(
      [&](unsigned int* c) { return pkt.GetCameraStream(many, c); });

  // A list that fits the buffer but not the 8-bit text is refused as well.
  QM::CameraMap medium;
  for (unsigned int i = 0; i < 150; ++i) medium[4000000000u + i];
  ExpectRefusedBuild(
      [&](unsigned int* c) { return pkt.GetCameraStream(medium, c); });

  // A modest list is framed whole.
  QM::CameraMap some;
  for (unsigned int i = 1; i <= 50; ++i) some[i];
  unsigned int count = 0;
  const char* frame = pkt.GetCameraStream(some, &count);
  ASSERT_GT(count, 0u);
  EXPECT_NE(FrameText(frame, count).find("xsd:int[50]\"><item>1</item>"),
            std::string::npos);
}

TEST(ReqPktLimits, NullCountPointerIsTolerated) {
  QM::ReqPkt pkt;
  EXPECT_EQ(pkt.GetServerStatus(nullptr), pkt.Frame());
  EXPECT_GT(FrameLength(pkt.Frame()), 4u);
}

}  // namespace

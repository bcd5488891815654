// Parsers of the recording query's replies: the binary day tracker, the
// recording files and the motion periods. Replies are passed in buffers of
// exactly their length so that AddressSanitizer sees any overread.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "client/server.h"

namespace {

using QM::Server;

std::vector<bool> Tracker(const std::vector<unsigned char>& bytes) {
  return Server::RspPkt_ParseGetDateTimeTracker(
      bytes.data(), static_cast<unsigned int>(bytes.size()));
}

std::vector<size_t> SetMinutes(const std::vector<bool>& flags) {
  std::vector<size_t> set;
  for (size_t i = 0; i < flags.size(); ++i) {
    if (flags[i]) set.push_back(i);
  }
  return set;
}

TEST(TrackerParseTest, AllOnesAndAllZeros) {
  const std::vector<bool> full = Tracker(std::vector<unsigned char>(192, 0xFF));
  ASSERT_EQ(1440u, full.size());
  EXPECT_EQ(1440u, SetMinutes(full).size());

  const std::vector<bool> none = Tracker(std::vector<unsigned char>(192, 0));
  ASSERT_EQ(1440u, none.size());
  EXPECT_TRUE(SetMinutes(none).empty());
}

TEST(TrackerParseTest, BitOrderAndShortLastByteOfEachHour) {
  struct Case {
    size_t byte;
    unsigned char value;
    std::vector<size_t> minutes;
  } const cases[] = {
      {0, 0x01, {0}},                // least significant bit first
      {0, 0x80, {7}},
      {1, 0x01, {8}},
      {7, 0x0F, {56, 57, 58, 59}},   // only four bits in byte 7
      {7, 0xF0, {}},                 // its upper four bits are ignored
      {8, 0x01, {60}},               // the next hour starts at byte 8
      {191, 0x08, {1439}},           // last minute of the day
      {191, 0xF0, {}},
      {190, 0x80, {1435}},
  };
  for (const Case& c : cases) {
    std::vector<unsigned char> bytes(192, 0);
    bytes[c.byte] = c.value;
    const std::vector<bool> flags = Tracker(bytes);
    ASSERT_EQ(1440u, flags.size());
    EXPECT_EQ(c.minutes, SetMinutes(flags))
        << "byte " << c.byte << " value " << int(c.value);
  }
}

TEST(TrackerParseTest, WrongSizeOrNullGivesEmptyTracker) {
  EXPECT_TRUE(Tracker(std::vector<unsigned char>(191, 0xFF)).empty());
  EXPECT_TRUE(Tracker(std::vector<unsigned char>(193, 0xFF)).empty());
  EXPECT_TRUE(Tracker(std::vector<unsigned char>()).empty());
  EXPECT_TRUE(Server::RspPkt_ParseGetDateTimeTracker(nullptr, 192).empty());
}

// ---- XML replies ----

std::string DataSet(const std::string& rows) {
  return "<DataSet><diffgr:diffgram "
         "xmlns:msdata=\"urn:schemas-microsoft-com:xml-msdata\" "
         "xmlns:diffgr=\"urn:schemas-microsoft-com:xml-diffgram-v1\">"
         "<NewDataSet>" +
         rows + "</NewDataSet></diffgr:diffgram></DataSet>";
}

std::string Row(int n, const std::string& fields) {
  return "<Table diffgr:id=\"Table" + std::to_string(n + 1) +
         "\" msdata:rowOrder=\"" + std::to_string(n) + "\">" + fields +
         "</Table>";
}

QM::RecFileList Files(const std::string& text) {
  const std::vector<char> bytes(text.begin(), text.end());
  return Server::RspPkt_ParseGetRecordingInfo(
      bytes.data(), static_cast<unsigned int>(bytes.size()));
}

QM::RecMotionList Motions(const std::string& text) {
  const std::vector<char> bytes(text.begin(), text.end());
  return Server::RspPkt_ParseGetMotionInfo(
      bytes.data(), static_cast<unsigned int>(bytes.size()));
}

std::string FileFields(int camera, const std::string& start,
                       const std::string& end, int file_id,
                       const std::string& name, int type, int frames) {
  return "<CameraID>" + std::to_string(camera) + "</CameraID><StartTime>" +
         start + "</StartTime><EndTime>" + end + "</EndTime><FileID>" +
         std::to_string(file_id) + "</FileID><FileName>" + name +
         "</FileName><RecordingType>" + std::to_string(type) +
         "</RecordingType><TotalFrames>" + std::to_string(frames) +
         "</TotalFrames>";
}

TEST(RecordingInfoParseTest, RowsInDocumentOrderWithAllFields) {
  const std::string text = DataSet(
      Row(0, FileFields(12, "2013-05-07T08:00:12-04:00",
                        "2013-05-07T08:15:00-04:00", 501, "a.vid", 1, 27000)) +
      Row(1, FileFields(12, "2013-05-07T09:00:00-04:00",
                        "2013-05-07T09:30:00-04:00", 502, "b.vid", 2, 54000)) +
      Row(2, FileFields(13, "2013-05-07T23:00:00-04:00",
                        "2013-05-08T00:00:00-04:00", 7, "c &amp; d.vid", 0,
                        0)));
  const QM::RecFileList files = Files(text);
  ASSERT_TRUE(files);
  ASSERT_EQ(3u, files->size());

  const QM::RecFile& a = *(*files)[0];
  EXPECT_EQ(12u, a.CamId);
  EXPECT_EQ(L"2013-05-07T08:00:12-04:00", a.StartStr);
  EXPECT_EQ(L"2013-05-07T08:15:00-04:00", a.EndStr);
  EXPECT_EQ(501u, a.FileId);
  EXPECT_EQ(L"a.vid", a.FileName);
  EXPECT_EQ(1u, a.RecType);
  EXPECT_EQ(27000u, a.TotalFrames);

  EXPECT_EQ(L"b.vid", (*files)[1]->FileName);
  EXPECT_EQ(54000u, (*files)[1]->TotalFrames);
  EXPECT_EQ(2u, (*files)[1]->RecType);
  EXPECT_EQ(13u, (*files)[2]->CamId);
  EXPECT_EQ(L"c & d.vid", (*files)[2]->FileName);
  EXPECT_EQ(L"2013-05-08T00:00:00-04:00", (*files)[2]->EndStr);
}

TEST(RecordingInfoParseTest, RowWithoutFieldsStillGivesRecord) {
  const QM::RecFileList files =
      Files(DataSet(Row(0, "") + Row(1, "<Other>1</Other>")));
  ASSERT_EQ(2u, files->size());
  for (const QM::RecFilePtr& f : *files) {
    EXPECT_EQ(0u, f->CamId);
    EXPECT_EQ(0u, f->FileId);
    EXPECT_EQ(0u, f->RecType);
    EXPECT_EQ(0u, f->TotalFrames);
    EXPECT_EQ(L"", f->FileName);
    EXPECT_EQ(L"", f->StartStr);
    EXPECT_EQ(L"", f->EndStr);
  }
}

TEST(RecordingInfoParseTest, EmptyOrMissingEndTimeReadsEmpty) {
  const QM::RecFileList files = Files(DataSet(
      Row(0, "<StartTime>2013-05-07T08:00:00</StartTime><EndTime/>") +
      Row(1, "<StartTime>2013-05-07T09:00:00</StartTime><EndTime></EndTime>") +
      Row(2, "<StartTime>2013-05-07T10:00:00</StartTime>")));
  ASSERT_EQ(3u, files->size());
  for (const QM::RecFilePtr& f : *files) EXPECT_EQ(L"", f->EndStr);
  EXPECT_EQ(L"2013-05-07T09:00:00", (*files)[1]->StartStr);
}

TEST(RecordingInfoParseTest, NumericFieldsMissingNonNumericOrOverflowing) {
  struct Case {
    const char* frames;  // null: the field is left out
    unsigned int value;
  } const cases[] = {
      {nullptr, 0u},
      {"", 0u},
      {"abc", 0u},
      {"-5", 0u},
      {" 77 ", 77u},
      {"12x", 12u},
      {"4294967295", 4294967295u},
      {"4294967296", 4294967295u},     // saturates instead of wrapping
      {"123456789012345678901", 4294967295u},
  };
  for (const Case& c : cases) {
    const std::string field =
        c.frames ? std::string("<TotalFrames>") + c.frames + "</TotalFrames>"
                 : std::string();
    const QM::RecFileList files = Files(DataSet(Row(0, field)));
    ASSERT_EQ(1u, files->size());
    EXPECT_EQ(c.value, (*files)[0]->TotalFrames)
        << (c.frames ? c.frames : "(missing)");
  }
}

TEST(RecordingInfoParseTest, FailuresGiveEmptyNonNullList) {
  const std::string texts[] = {
      "<string>Login Error</string>",
      "<DataSet><diffgr:diffgram><NewDataSet><Table>",  // malformed
      "not xml at all <",
      "",
      DataSet(""),
  };
  for (const std::string& text : texts) {
    const QM::RecFileList files = Files(text);
    ASSERT_TRUE(files) << text;
    EXPECT_TRUE(files->empty()) << text;
  }
  const QM::RecFileList none = Server::RspPkt_ParseGetRecordingInfo(nullptr, 9);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
}

TEST(MotionInfoParseTest, RowsInDocumentOrderWithAllFields) {
  const std::string text = DataSet(
      Row(0,
          "<oCameraID>12</oCameraID><FileID>501</FileID>"
          "<StartTime>2013-05-07T08:01:00-04:00</StartTime>"
          "<EndTime>2013-05-07T08:02:30-04:00</EndTime>") +
      Row(1,
          "<EndTime>2013-05-07T09:05:00-04:00</EndTime>"
          "<StartTime>2013-05-07T09:04:00-04:00</StartTime>"
          "<FileID>502</FileID><oCameraID>12</oCameraID>") +
      Row(2, "<oCameraID>14</oCameraID><StartTime>s</StartTime>"));
  const QM::RecMotionList motions = Motions(text);
  ASSERT_TRUE(motions);
  ASSERT_EQ(3u, motions->size());
  EXPECT_EQ(12u, (*motions)[0]->CamId);
  EXPECT_EQ(501u, (*motions)[0]->FileId);
  EXPECT_EQ(L"2013-05-07T08:01:00-04:00", (*motions)[0]->StartStr);
  EXPECT_EQ(L"2013-05-07T08:02:30-04:00", (*motions)[0]->EndStr);
  EXPECT_EQ(502u, (*motions)[1]->FileId);  // field order does not matter
  EXPECT_EQ(L"2013-05-07T09:04:00-04:00", (*motions)[1]->StartStr);
  EXPECT_EQ(14u, (*motions)[2]->CamId);
  EXPECT_EQ(0u, (*motions)[2]->FileId);
  EXPECT_EQ(L"", (*motions)[2]->EndStr);
}

TEST(MotionInfoParseTest, CameraIdMissingNonNumericOrOverflowingIsBounded) {
  // Only "CameraID" is present, not "oCameraID": the motion's camera is 0.
  const QM::RecMotionList motions = Motions(DataSet(
      Row(0, "<CameraID>12</CameraID>") + Row(1, "<oCameraID>x1</oCameraID>") +
      Row(2, "<oCameraID>99999999999</oCameraID>") + Row(3, "")));
  ASSERT_EQ(4u, motions->size());
  EXPECT_EQ(0u, (*motions)[0]->CamId);
  EXPECT_EQ(0u, (*motions)[1]->CamId);
  EXPECT_EQ(4294967295u, (*motions)[2]->CamId);
  EXPECT_EQ(0u, (*motions)[3]->CamId);
  EXPECT_EQ(L"", (*motions)[3]->StartStr);
}

TEST(MotionInfoParseTest, FailuresGiveEmptyNonNullList) {
  const std::string texts[] = {
      "<string>Login Error</string>",
      "<DataSet><diffgr:diffgram></DataSet>",
      "",
  };
  for (const std::string& text : texts) {
    const QM::RecMotionList motions = Motions(text);
    ASSERT_TRUE(motions) << text;
    EXPECT_TRUE(motions->empty()) << text;
  }
}

}  // namespace

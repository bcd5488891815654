// The camera map and the service exchanges against a server with canned
// replies: what each sends, in which order, and what it makes of the answers.
#include "tests/services/services_test_util.h"

namespace {

using namespace qm_services_test;
using QM::CameraPtr;

TEST(CameraMap, UnknownIdLeavesNoEntryAddCameraKeepsFieldsServerReferenceIsWeak) {
  auto server = boost::make_shared<FakeServer>();
  EXPECT_FALSE(server->FindCamera(5));
  EXPECT_TRUE(server->GetCameras().empty());
  const CameraPtr added = server->AddCamera(5);
  ASSERT_TRUE(added && added->ID() == 5);
  added->Name = L"kept";
  EXPECT_EQ(added, server->AddCamera(5));
  EXPECT_EQ(L"kept", server->FindCamera(5)->Name);
  server->GetCameras().clear();  // a copy
  EXPECT_EQ(1u, server->GetCameras().size());
  server->ClearCameraList();
  EXPECT_FALSE(server->FindCamera(5));
  // A camera does not keep its server alive.
  const CameraPtr camera = boost::make_shared<QM::Camera>(3, server);
  EXPECT_EQ(server, camera->GetServer());
  const boost::weak_ptr<FakeServer> watch = server;
  server.reset();
  EXPECT_TRUE(watch.expired() && !camera->GetServer());
}

const std::string kNew = Record("ServerInformation", {{"ID", "5"}, {"Version", "7.0.0.0"}});
const std::string kTable = DataSet({{{"cameraID", "3"}}, {{"cameraID", "4"}}});

TEST(Exchanges, DirectoryAsksDescriptionThenTheCommandItsVersionChooses) {
  const struct { const char* name; Texts replies; bool ok; Texts codes; size_t cameras;
  } cases[] = {
      // A refused login keeps the version stored before (none: the table query).
      {"LoginErrorStillAsksDirectory", {kLoginError, kTable}, true, {"50002", "50014"}, 2},
      {"NoDescriptionNoDirectoryRequest", {""}, false, {"50002"}, 1},
      {"EmptyDirectoryReplyKeepsMap", {kNew, ""}, false, {"50002", "50003"}, 1},
  };
  for (const auto& c : cases) {
    FakeServer server;
    server.AddCamera(77);
    server.replies = c.replies;
    EXPECT_EQ(c.ok, server.GetServerAndCameraMetadata()) << c.name;
    Texts codes;
    for (const Texts& r : server.requests) codes.push_back(r.at(1));
    EXPECT_EQ(c.codes, codes) << c.name;
    EXPECT_EQ(c.cameras, server.GetCameras().size()) << c.name;
  }
  // Health status: an empty reply leaves the caller's map.
  FakeServer server;
  QM::CameraMap mine = {{9, boost::make_shared<QM::Camera>()}};
  EXPECT_FALSE(server.GetAliveMonInfo(mine));
  EXPECT_EQ(1u, mine.size());
  EXPECT_EQ((std::vector<Texts>{{"6", "414", "0", "0", "0", "", "", ""}}), server.requests);
}

const std::string kSpan = Record("VideoSpan", {{"StartingFile", "a.dat"}, {"EndingFile", "c.dat"}});
const std::string kFiles = DataSet({{{"FileName", "a.dat"}, {"TotalFrames", "50"}},
                                    {{"FileName", "b.dat"}, {"TotalFrames", "50"}},
                                    {{"FileName", "c.dat"}, {"TotalFrames", "50"}}});
// A kind-0 header of 3 frames without frame table.
const std::string kHeader("\x07\0\0\0\0\0\0\0\0\0\0\0\x03\0\0\0\0\0\0\0\0\0\0\0\0\0", 26);

TEST(Exchanges, SpanFilesOneHeaderExchangePerFileInListOrderForTheGivenCamera) {
  // files: -1 for a list left null; frames: each file's total after the headers.
  const struct { const char* name; Texts replies; bool ok; size_t exchanges; bool span;
                 int files; std::vector<unsigned> frames; } cases[] = {
      {"EmptyHeaderKeepsListFields", {kSpan, kFiles, kHeader, "", kHeader}, true, 5, true, 3,
       {3, 50, 3}},
      {"NoHeaderAnswered", {kSpan, kFiles}, false, 5, true, 3, {50, 50, 50}},
      {"EmptyListNoHeaderExchange", {kSpan, DataSet({})}, false, 2, true, 0, {}},
      {"EmptyListReply", {kSpan, ""}, false, 2, true, -1, {}},
      {"SpanNotParsedEmptiesSpan", {"<VideoSpan"}, false, 1, false, -1, {}},
      {"EmptySpanReplyTouchesNothing", {}, false, 1, true, -1, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServer server;
    server.Describe("9", "");
    server.replies = c.replies;
    const QM::VideoSpanPtr before = boost::make_shared<QM::VideoSpan>();
    QM::VideoSpanPtr span = before;
    QM::VideoFileList files;
    EXPECT_EQ(c.ok, server.GetVideoFilesMetadata(12, 2013, 5, 7, 0, 0, 0, 2013, 5, 7, 23, 59, 59,
                                                 span, files));
    ASSERT_EQ(c.exchanges, server.requests.size());
    EXPECT_EQ((Texts{"2", "30003", "9", "12", "0", "635034816000000000", "635035679990000000", ""}),
              server.requests[0]);
    EXPECT_EQ(c.span, bool(span));
    EXPECT_EQ(c.replies.empty(), span == before);
    ASSERT_EQ(c.files, files ? int(files->size()) : -1);
    for (size_t i = 0; i < c.frames.size(); ++i) {
      const std::string name = std::string(1, char('a' + i)) + ".dat";
      EXPECT_EQ((Texts{"2", "321", "12", "0", "0", name, "", ""}), server.requests[2 + i]);
      EXPECT_EQ(c.frames[i], files->at(i)->TotalFrames);
    }
    if (c.exchanges > 1) {
      EXPECT_NE(std::string::npos, server.requests[1].at(5).find(
          "WHERE FileName = &apos;a.dat&apos;) AND FileID &lt;= (SELECT FileID FROM "
          "dbo.VideoFiles WHERE FileName = &apos;c.dat&apos;)"));
    }
  }
}

}  // namespace

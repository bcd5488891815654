// The device manager's segment around a run: credentials come from the
// record of the DVR id, a missing segment is created and initialised, a
// segment that is too small stops the run with error code 2, and a segment
// filled by the device manager is left exactly as it was.
#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "devmgr/ikorindmif.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/sim_server.h"

namespace e2e {
namespace {

const std::vector<Period> kOneFile = {{"08:00:12", "08:59:40"}};

// A copy of the whole segment of the device-manager key, or an empty text
// when there is none (its size is then reported as 0).
std::string SegmentBytes(size_t* size) {
  *size = 0;
  const int id = shmget(dmlayout::kKey, 0, 0);
  if (id < 0) return std::string();
  struct shmid_ds info;
  if (shmctl(id, IPC_STAT, &info) != 0) return std::string();
  *size = info.shm_segsz;
  void* addr = shmat(id, nullptr, SHM_RDONLY);
  if (addr == reinterpret_cast<void*>(-1)) return std::string();
  std::string bytes(static_cast<const char*>(addr), info.shm_segsz);
  shmdt(addr);
  return bytes;
}

int32_t IntAt(const std::string& bytes, size_t offset) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

class E2eDeviceManagerSegment : public E2eTest {
 protected:
  // Starts qmsim expecting `user` / `password`, runs the query of `dvrid`
  // and returns the run; the requests are left in requests_, qmsim's output
  // in log_.
  qmtest::RunResult RunAgainstSim(const std::string& dvrid,
                                  const std::string& user,
                                  const std::string& password) {
    SimOptions options;
    options.scenario = Scenario(kOneFile, {});
    options.user = user;
    options.password = password;
    SimServer sim(dir_.path(), options);
    EXPECT_TRUE(sim.Listening()) << sim.Log();
    Query query;
    query.dvrid = dvrid;
    const qmtest::RunResult run = RunQmrecinfo(dir_, query);
    sim.Stop();
    requests_ = sim.Requests();
    log_ = sim.Log();
    EXPECT_FALSE(run.timed_out);
    return run;
  }

  std::vector<std::string> requests_;
  std::string log_;  // what qmsim printed
};

// The credentials in the requests are those of the DVR id asked for, and
// empty ones are sent as empty elements rather than refused.
TEST_F(E2eDeviceManagerSegment, EmptyRecordOfTheDvrIdSendsEmptyCredentials) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  const qmtest::RunResult run = RunAgainstSim("2", "", "");
  EXPECT_EQ(run.status, 0) << log_;
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(2, {Row(1, 0, "08:00:12", "08:59:40")}));
  ASSERT_EQ(requests_.size(), 3u);
  for (const std::string& frame : requests_)
    EXPECT_NE(frame.find("<UID id=\"ref-3\"></UID><PWD></PWD>\r\n"),
              std::string::npos);
}

TEST_F(E2eDeviceManagerSegment, MissingSegmentIsCreatedAndInitialised) {
  size_t size = 0;
  SegmentBytes(&size);
  ASSERT_EQ(size, 0u) << "the namespace already has a segment";

  const qmtest::RunResult run = RunAgainstSim("1", "", "");
  EXPECT_EQ(run.status, 0) << log_;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(requests_.size(), 3u);

  const std::string bytes = SegmentBytes(&size);
  ASSERT_EQ(size, dmlayout::kSegmentSize);
  EXPECT_EQ(IntAt(bytes, 0), 0) << "header word";
  for (unsigned dvrid = 1; dvrid <= dmlayout::kDvrCount; ++dvrid) {
    const size_t record = dmlayout::RecordOffset(dvrid);
    EXPECT_EQ(IntAt(bytes, record + dmlayout::kPidOffset), 0) << dvrid;
    EXPECT_EQ(IntAt(bytes, record + dmlayout::kUidOffset), -1) << dvrid;
    // Camera ids, user name, password and padding: all zero bytes.
    const std::string rest = bytes.substr(record + dmlayout::kCamIdOffset,
                                          dmlayout::kRecordSize - dmlayout::kCamIdOffset);
    EXPECT_EQ(rest, std::string(rest.size(), '\0')) << "DVR " << dvrid;
  }

  // The same through the interface the device manager's clients use.
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  ASSERT_NE(dm, nullptr);
  for (unsigned dvrid = 1; dvrid <= dmlayout::kDvrCount; ++dvrid) {
    EXPECT_EQ(dm->GetUIDbyDvrId(dvrid), -1);
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(dvrid, 1), 0);
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(dvrid, dmlayout::kChannelCount), 0);
    EXPECT_EQ(dm->GetUserNamebyDvrId(dvrid), "");
    EXPECT_EQ(dm->GetPassWordbyDvrId(dvrid), "");
  }
  Singleton<IKorinDMIf>::DeleteInstance();
}

// A segment of the key that is smaller than the layout: no instance, error
// code 2, exit status 1, no request, and the foreign segment untouched.
TEST_F(E2eDeviceManagerSegment, TooSmallSegmentGivesErrorCode2WithoutRequest) {
  const int id = shmget(dmlayout::kKey, 1000, IPC_CREAT | IPC_EXCL | 0666);
  ASSERT_GE(id, 0);
  void* addr = shmat(id, nullptr, 0);
  ASSERT_NE(addr, reinterpret_cast<void*>(-1));
  std::memset(addr, 0x5A, 1000);
  shmdt(addr);

  const qmtest::RunResult run = RunAgainstSim("1", "operator", "demo-pass");
  EXPECT_EQ(run.status, 1) << log_;
  EXPECT_EQ(run.out, "qmrecinfo: error: Could not get instance of ikorindmif\n");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), ErrorFile(1, 2));
  EXPECT_TRUE(requests_.empty());

  size_t size = 0;
  const std::string bytes = SegmentBytes(&size);
  EXPECT_EQ(size, 1000u);
  EXPECT_EQ(bytes, std::string(1000, '\x5A'));
}

// The device manager filled several records: the run uses the credentials
// of its own DVR id and changes not a single byte of the segment.
TEST_F(E2eDeviceManagerSegment, FilledSegmentIsUsedAndLeftUnchanged) {
  const std::vector<std::vector<std::string>> setups = {
      {"--dvrid", "1", "--user", "admin1", "--password", "pw1", "--uid", "11",
       "--pid", "4242", "--camid", "1=101", "--camid", "128=128128"},
      {"--dvrid", "5", "--user", "operator", "--password", "demo-pass",
       "--uid", "55", "--camid", "3=12"},
      {"--dvrid", "64", "--user", "twenty-characters-xx", "--password",
       "twenty-characters-yy", "--uid", "-7"},
  };
  for (const auto& args : setups) {
    const qmtest::RunResult set = RunQmdevmgr(dir_, args);
    ASSERT_EQ(set.status, 0) << set.out;
  }
  size_t size = 0;
  const std::string before = SegmentBytes(&size);
  ASSERT_EQ(size, dmlayout::kSegmentSize);

  const qmtest::RunResult run = RunAgainstSim("5", "operator", "demo-pass");
  EXPECT_EQ(run.status, 0) << log_;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(5, {Row(1, 0, "08:00:12", "08:59:40")}));
  ASSERT_EQ(requests_.size(), 3u);
  EXPECT_NE(requests_[0].find("<UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>"),
            std::string::npos);

  EXPECT_EQ(SegmentBytes(&size), before);
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  ASSERT_NE(dm, nullptr);
  EXPECT_EQ(dm->GetUserNamebyDvrId(1), "admin1");
  EXPECT_EQ(dm->GetPassWordbyDvrId(1), "pw1");
  EXPECT_EQ(dm->GetUIDbyDvrId(1), 11);
  EXPECT_EQ(dm->GetClientProcIdbyDvrId(1), 4242u);
  EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(1, 128), 128128);
  EXPECT_EQ(dm->GetPassWordbyDvrId(64), "twenty-characters-yy");
  EXPECT_EQ(dm->GetUIDbyDvrId(64), -7);
  Singleton<IKorinDMIf>::DeleteInstance();
}

// The last record of the segment, with user name and password filling their
// fields to the last character before the terminator.
TEST_F(E2eDeviceManagerSegment, LastRecordWithTwentyCharacterCredentials) {
  const std::string user = "user-name-of-20-char";
  const std::string password = "password-of-20-chars";
  ASSERT_EQ(user.size(), dmlayout::kTextMaxLen);
  ASSERT_EQ(password.size(), dmlayout::kTextMaxLen);
  const qmtest::RunResult set = RunQmdevmgr(
      dir_, {"--dvrid", "64", "--user", user, "--password", password});
  ASSERT_EQ(set.status, 0) << set.out;

  const qmtest::RunResult run = RunAgainstSim("64", user, password);
  EXPECT_EQ(run.status, 0) << log_;
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")),
            ListFile(64, {Row(1, 0, "08:00:12", "08:59:40")}));
  ASSERT_EQ(requests_.size(), 3u);
  EXPECT_NE(requests_[0].find("<UID id=\"ref-3\">" + user + "</UID><PWD>" +
                              password + "</PWD>\r\n"),
            std::string::npos);
}

// Credentials that the "C" locale cannot widen are never sent altered: the
// run refuses the query (code 4) before anything reaches the server.
TEST_F(E2eDeviceManagerSegment, NonAsciiPasswordIsNotSentAltered) {
  const std::string password = "p\xE9ss";
  ASSERT_TRUE(StoreCredentials(1, "operator", password));
  const qmtest::RunResult run = RunAgainstSim("1", "operator", password);
  EXPECT_EQ(run.status, 4) << log_;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(qmtest::ReadWholeFile(dir_.File("result.txt")), ErrorFile(1, 4));
  EXPECT_TRUE(requests_.empty());
}

}  // namespace
}  // namespace e2e

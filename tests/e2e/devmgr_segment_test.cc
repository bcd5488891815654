// The device manager's segment around a run: credentials come from the
// record of the DVR id, a missing segment is created and initialised, a too
// small one stops the run, a filled one is used and left as it was.
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

#include "devmgr/ikorindmif.h"
#include "tests/e2e/e2e_support.h"

namespace e2e {
namespace {

const std::string kOneFile = Scenario({{"08:00:12", "08:59:40"}}, {});
const std::string kRow = Row(1, 0, "08:00:12", "08:59:40");

// A copy of the segment of the device manager's key; "" when there is none.
std::string SegmentBytes() {
  const int id = shmget(dmlayout::kKey, 0, 0);
  void* addr = id < 0 ? reinterpret_cast<void*>(-1) : shmat(id, nullptr, SHM_RDONLY);
  struct shmid_ds info;
  if (addr == reinterpret_cast<void*>(-1) || shmctl(id, IPC_STAT, &info) != 0) return "";
  std::string bytes(static_cast<const char*>(addr), info.shm_segsz);
  shmdt(addr);
  return bytes;
}

class E2eDeviceManagerSegment : public E2eTest {};

TEST_F(E2eDeviceManagerSegment, EmptyRecordOfTheDvrIdSendsEmptyCredentials) {
  ASSERT_TRUE(StoreCredentials(1, "operator", "demo-pass"));
  Expect(RunSim({"2"}, kOneFile, {"--user", "", "--password", ""}), 0, ListFile(2, {kRow}), 3);
  for (const std::string& frame : requests_)
    EXPECT_NE(frame.find("<UID id=\"ref-3\"></UID><PWD></PWD>\r\n"), std::string::npos);
}

TEST_F(E2eDeviceManagerSegment, MissingSegmentIsCreatedAndInitialised) {
  ASSERT_EQ(SegmentBytes(), "") << "the namespace already has a segment";
  Expect(RunSim({}, kOneFile, {"--user", "", "--password", ""}), 0, ListFile(1, {kRow}), 3);
  const std::string bytes = SegmentBytes();
  ASSERT_EQ(bytes.size(), dmlayout::kSegmentSize);
  EXPECT_EQ(bytes.substr(0, 4), std::string(4, '\0')) << "header word";
  std::string record(dmlayout::kRecordSize, '\0');  // process id, camera ids, texts: zero
  record.replace(dmlayout::kUidOffset, 4, "\xFF\xFF\xFF\xFF");  // UID -1
  for (unsigned dvrid = 1; dvrid <= dmlayout::kDvrCount; ++dvrid)
    EXPECT_EQ(bytes.substr(dmlayout::RecordOffset(dvrid), dmlayout::kRecordSize), record) << "DVR " << dvrid;
}

// Not the segment's layout: no instance, error code 2, exit 1, no request,
// and the foreign segment untouched.
TEST_F(E2eDeviceManagerSegment, TooSmallSegmentGivesErrorCode2AndExit1) {
  const int id = shmget(dmlayout::kKey, 1000, IPC_CREAT | IPC_EXCL | 0666);
  ASSERT_GE(id, 0);
  void* addr = shmat(id, nullptr, 0);
  ASSERT_NE(addr, reinterpret_cast<void*>(-1));
  std::memset(addr, 0x5A, 1000);
  shmdt(addr);
  const qmtest::RunResult run = RunSim({}, kOneFile);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "qmrecinfo: error: Could not get instance of ikorindmif\n");
  EXPECT_EQ(Result(), ErrorFile(1, 2));
  EXPECT_TRUE(requests_.empty());
  EXPECT_EQ(SegmentBytes(), std::string(1000, '\x5A'));
}

// Records filled by the device manager: the run sends those of its own DVR
// id and changes not a single byte of the segment.
TEST_F(E2eDeviceManagerSegment, FilledSegmentIsNotWipedAndItsCredentialsAreUsed) {
  ASSERT_TRUE(StoreCredentials(1, "admin1", "pw1"));
  ASSERT_EQ(qmtest::RunCaptured({QMDEVMGR_PATH, "--dvrid", "5", "--user", "operator", "--password", "demo-pass",
                                 "--uid", "55", "--pid", "4242", "--camid", "1=101", "--camid", "128=128128"},
                                dir_.path()).status, 0);
  const std::string before = SegmentBytes();
  ASSERT_EQ(before.size(), dmlayout::kSegmentSize);
  ASSERT_NE(before.find("admin1"), std::string::npos);
  Expect(RunSim({"5"}, kOneFile), 0, ListFile(5, {kRow}), 3);
  EXPECT_NE(requests_[0].find("<UID id=\"ref-3\">operator</UID><PWD>demo-pass</PWD>"), std::string::npos);
  EXPECT_EQ(SegmentBytes(), before);
}

}  // namespace
}  // namespace e2e

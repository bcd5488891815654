// Shared-memory helpers on private keys derived from the process id; every
// segment a test makes is removed by the fixture.
#include "devmgr/sharedmem.h"

#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// Sentinel that a failed call must leave in the attach-address out-param.
void* const kUntouched = reinterpret_cast<void*>(0x1);

class ShmTest : public ::testing::Test {
 protected:
  // A key of this process only: each test case runs in its own process.
  key_t Key(int n) const {
    return static_cast<key_t>(0x5D000000 + ((getpid() & 0xFFFFF) << 3) + n);
  }

  // Makes a segment directly, filled with `fill`, and remembers it for
  // removal. Returns its identifier.
  int MakeSegment(key_t key, size_t size, unsigned char fill) {
    int id = shmget(key, size, IPC_CREAT | IPC_EXCL | 0600);
    EXPECT_NE(id, -1) << std::strerror(errno);
    if (id == -1) return -1;
    ids_.push_back(id);
    void* p = shmat(id, nullptr, 0);
    EXPECT_NE(p, reinterpret_cast<void*>(-1));
    std::memset(p, fill, size);
    shmdt(p);
    return id;
  }

  void Track(int id, void* addr) {
    if (id != -1) ids_.push_back(id);
    if (addr != nullptr && addr != kUntouched) addrs_.push_back(addr);
  }

  static shmid_ds Stat(int id) {
    shmid_ds desc{};
    EXPECT_EQ(shmctl(id, IPC_STAT, &desc), 0);
    return desc;
  }

  void TearDown() override {
    for (void* a : addrs_) shmdt(a);
    for (int id : ids_) shmctl(id, IPC_RMID, nullptr);
  }

 private:
  std::vector<int> ids_;
  std::vector<void*> addrs_;
};

using ShmFn = std::function<int(key_t, size_t, int*, void**)>;

struct NamedShmFn {
  const char* name;
  ShmFn fn;
};

const NamedShmFn kFinders[] = {
    {"Shm_Create", Shm_Create},
    {"Shm_Link", Shm_Link},
    {"Shm_CreateExclusive", Shm_CreateExclusive},
};

TEST_F(ShmTest, LinkOnMissingKeyFailsWithEnoentAndCreateThenMakesIt) {
  int id = 0;
  void* addr = kUntouched;
  EXPECT_EQ(Shm_Link(Key(0), 4096, &id, &addr), ENOENT);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(addr, kUntouched);

  ASSERT_EQ(Shm_Create(Key(0), 4096, &id, &addr), 0);
  Track(id, addr);
  ASSERT_NE(addr, kUntouched);
  shmid_ds desc = Stat(id);
  EXPECT_GE(desc.shm_segsz, 4096u);
  EXPECT_EQ(desc.shm_perm.mode & 0777, 0666u);
  EXPECT_EQ(desc.shm_nattch, 1u);
  static_cast<unsigned char*>(addr)[4095] = 7;  // writable to its end
}

TEST_F(ShmTest, FindersAttachExistingSegmentOfEnoughSizeWithoutChangingIt) {
  const int made = MakeSegment(Key(1), 8192, 0xA5);
  for (const NamedShmFn& f : {kFinders[0], kFinders[1]}) {
    SCOPED_TRACE(f.name);
    int id = 0;
    void* addr = kUntouched;
    ASSERT_EQ(f.fn(Key(1), 100, &id, &addr), 0);
    Track(-1, addr);
    EXPECT_EQ(id, made);
    EXPECT_EQ(static_cast<unsigned char*>(addr)[8191], 0xA5);
  }
}

TEST_F(ShmTest, RequestLargerThanExistingSegmentFailsAndAttachesNothing) {
  const int made = MakeSegment(Key(2), 1000, 0x11);
  for (const NamedShmFn& f : kFinders) {
    SCOPED_TRACE(f.name);
    int id = 0;
    void* addr = kUntouched;
    EXPECT_NE(f.fn(Key(2), 36100, &id, &addr), 0);
    EXPECT_EQ(addr, kUntouched);
    EXPECT_EQ(Stat(made).shm_nattch, 0u);
    EXPECT_EQ(Stat(made).shm_segsz, 1000u);
  }
}

// The race Init guards against: the segment appears between the failed link
// and the create. The exclusive create must refuse it, so the caller knows
// not to initialise, and the ordinary create must then attach it intact.
TEST_F(ShmTest, ExclusiveCreateRefusesSegmentMadeByAnotherProcess) {
  int id = 0;
  void* addr = kUntouched;
  ASSERT_EQ(Shm_Link(Key(3), 512, &id, &addr), ENOENT);
  const int made = MakeSegment(Key(3), 512, 0x5A);  // "the device manager"

  EXPECT_EQ(Shm_CreateExclusive(Key(3), 512, &id, &addr), EEXIST);
  EXPECT_EQ(addr, kUntouched);
  EXPECT_EQ(Stat(made).shm_nattch, 0u);

  ASSERT_EQ(Shm_Create(Key(3), 512, &id, &addr), 0);
  Track(-1, addr);
  EXPECT_EQ(id, made);
  EXPECT_EQ(static_cast<unsigned char*>(addr)[0], 0x5A);
  EXPECT_EQ(static_cast<unsigned char*>(addr)[511], 0x5A);
}

TEST_F(ShmTest, ExclusiveCreateOnFreeKeyCreatesAndAttaches) {
  int id = 0;
  void* addr = kUntouched;
  ASSERT_EQ(Shm_CreateExclusive(Key(4), 300, &id, &addr), 0);
  Track(id, addr);
  EXPECT_EQ(Stat(id).shm_nattch, 1u);
  EXPECT_EQ(Stat(id).shm_perm.mode & 0777, 0666u);
}

TEST_F(ShmTest, MissingOutParametersReturnMinusOneAndCreateNothing) {
  for (const NamedShmFn& f : kFinders) {
    SCOPED_TRACE(f.name);
    void* addr = kUntouched;
    int id = 12345;
    EXPECT_EQ(f.fn(Key(5), 64, nullptr, &addr), -1);
    EXPECT_EQ(addr, kUntouched);
    EXPECT_EQ(f.fn(Key(5), 64, &id, nullptr), -1);
    EXPECT_EQ(id, 12345);
  }
  EXPECT_EQ(shmget(Key(5), 0, 0), -1) << "a segment was created";
}

TEST_F(ShmTest, UnlinkAndDestroyWithNullAddressReturnMinusOneAndTouchNothing) {
  const int made = MakeSegment(Key(6), 64, 0);
  EXPECT_EQ(Shm_Unlink(nullptr), -1);
  EXPECT_EQ(Shm_Destroy(made, nullptr), -1);
  EXPECT_EQ(shmget(Key(6), 0, 0), made) << "segment was removed";
}

TEST_F(ShmTest, UnlinkDetachesAndDestroyRemovesTheKey) {
  int id = -1;
  void* a1 = nullptr;
  void* a2 = nullptr;
  ASSERT_EQ(Shm_Create(Key(7), 64, &id, &a1), 0);
  Track(id, nullptr);
  ASSERT_EQ(Shm_Link(Key(7), 64, &id, &a2), 0);
  EXPECT_EQ(Stat(id).shm_nattch, 2u);

  EXPECT_EQ(Shm_Unlink(a1), 0);
  EXPECT_EQ(Stat(id).shm_nattch, 1u);
  EXPECT_EQ(Shm_Unlink(a1), EINVAL) << "detaching twice must fail";

  EXPECT_EQ(Shm_Destroy(id, a2), 0);
  int id2 = 0;
  void* a3 = kUntouched;
  EXPECT_EQ(Shm_Link(Key(7), 64, &id2, &a3), ENOENT);
  EXPECT_EQ(Shm_Destroy(id, a2), EINVAL) << "segment already gone";
}

}  // namespace

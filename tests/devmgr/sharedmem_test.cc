// Shared-memory helpers. Every test case runs in its own IPC namespace (see
// CMakeLists.txt), so all keys start free and nothing outlives the case.
#include "devmgr/sharedmem.h"

#include <gtest/gtest.h>
#include <sys/shm.h>

#include <cerrno>

namespace {

void* const kUntouched = reinterpret_cast<void*>(0x1);  // what a failure must leave
constexpr int kFails = -2;                               // any non-zero result
using ShmFn = int (*)(key_t, size_t, int*, void**);

int Attaches(key_t key) {
  shmid_ds d{};
  return shmctl(shmget(key, 0, 0), IPC_STAT, &d) == 0 ? static_cast<int>(d.shm_nattch) : 0;
}

// Null pointers give -1 and touch nothing. Then steps run in order on keys
// that start free. Each attach writes 7 into the last byte it asked for; a
// later attach of key 2 (8192 bytes) must see it.
TEST(Shm, NullArgumentsGiveMinusOneFindCreateAndSizeCheckAttachOnlyOnSuccess) {
  int id = 12345;
  void* addr = kUntouched;
  for (ShmFn fn : {Shm_Create, Shm_Link, Shm_CreateExclusive})
    EXPECT_TRUE(fn(1, 64, nullptr, &addr) == -1 && fn(1, 64, &id, nullptr) == -1);
  EXPECT_TRUE(addr == kUntouched && id == 12345) << "touched";
  const struct { ShmFn fn; key_t key; size_t size; int result; } kSteps[] = {
      {Shm_Link, 1, 4096, ENOENT}, {Shm_Create, 1, 4096, 0},
      {Shm_CreateExclusive, 1, 4096, EEXIST},  // refuses a segment made meanwhile
      {Shm_Create, 2, 8192, 0}, {Shm_Create, 3, 1000, 0}, {Shm_Link, 2, 100, 0},
      {Shm_Create, 2, 100, 0}, {Shm_Link, 3, 36100, kFails}, {Shm_Create, 3, 36100, kFails},
      {Shm_CreateExclusive, 3, 36100, kFails},
  };
  for (const auto& s : kSteps) {
    SCOPED_TRACE(testing::Message() << "step " << (&s - kSteps));
    id = 0;
    addr = kUntouched;
    const int before = Attaches(s.key);
    const int result = s.fn(s.key, s.size, &id, &addr);
    EXPECT_TRUE(s.result == kFails ? result != 0 : result == s.result) << result;
    EXPECT_EQ(Attaches(s.key), before + (result == 0));
    if (result != 0) { EXPECT_EQ(addr, kUntouched); continue; }
    EXPECT_EQ(id, shmget(s.key, 0, 0));
    unsigned char* bytes = static_cast<unsigned char*>(addr);
    if (s.key == 2) { EXPECT_EQ(bytes[8191], s.size == 8192 ? 0 : 7) << "changed"; }
    bytes[s.size - 1] = 7;  // writable to its end
  }
  EXPECT_TRUE(Shm_Unlink(nullptr) == -1 && Shm_Destroy(shmget(2, 0, 0), nullptr) == -1);
  EXPECT_NE(shmget(2, 0, 0), -1) << "segment was removed";
}

}  // namespace

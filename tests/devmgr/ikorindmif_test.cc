// The device-manager interface on the real key 4145. Every test case runs in
// its own IPC namespace, so it starts without a segment and never sees the
// machine's own.
#include "devmgr/ikorindmif.h"

#include <gtest/gtest.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "devmgr/ikorindmif_seam.h"

namespace {

constexpr size_t kSize = 36100;
size_t Rec(unsigned dvrid) { return 4 + 564 * (dvrid - 1); }

// Attaches the segment of the key, first made with `size` bytes of `fill`
// when size is not 0; nullptr on failure.
unsigned char* Raw(size_t size = 0, unsigned char fill = 0) {
  void* p = shmat(shmget(4145, size, size ? IPC_CREAT | IPC_EXCL | 0666 : 0), nullptr, 0);
  if (p == reinterpret_cast<void*>(-1)) return nullptr;
  return static_cast<unsigned char*>(std::memset(p, fill, size));
}

// Offset of the first segment byte that differs from `want`; kSize when none.
size_t FirstDiff(const std::vector<unsigned char>& want, const unsigned char* raw) {
  return std::mismatch(want.begin(), want.end(), raw).first - want.begin();
}

// Every accessor answers its sentinel: out of range, or nothing attached.
void ExpectSentinels(IKorinDMIf& dm, unsigned d, unsigned chnl) {
  SCOPED_TRACE(::testing::Message() << "dvr " << d << " channel " << chnl);
  EXPECT_TRUE(dm.GetCamIdbyDvrIdChnl(d, chnl) == -1 && !dm.SetCamIdbyDvrIdChnl(d, chnl, 5));
  if (chnl != 1) return;
  EXPECT_TRUE(dm.GetClientProcIdbyDvrId(d) == 0 && dm.GetUIDbyDvrId(d) == -1 &&
              dm.GetUserNamebyDvrId(d).empty() && dm.GetPassWordbyDvrId(d).empty());
  EXPECT_FALSE(dm.SetClientProcIdbyDvrId(d, 5) || dm.SetUIDbyDvrId(d, 5) ||
               dm.SetUserNamebyDvrId(d, "x") || dm.SetPassWordbyDvrId(d, "x"));
}

// The segment as Init leaves it when nobody else writes: every UID -1;
// header, process ids, camera ids and texts 0.
std::vector<unsigned char> Fresh() {
  std::vector<unsigned char> want(kSize, 0);
  for (unsigned d = 1; d <= 64; ++d) std::memset(&want[Rec(d) + 4], 0xFF, 4);
  return want;
}

// Out-of-range ids and channels must give sentinels and write nothing.
TEST(DMInterface, CreatedSegmentInitialisedAndOutOfRangeIdsGiveSentinels) {
  ASSERT_EQ(Raw(), nullptr) << "namespace not private";
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  unsigned char* raw = Raw();
  ASSERT_TRUE(dm && raw && !failed);
  const std::vector<unsigned char> want = Fresh();
  EXPECT_EQ(FirstDiff(want, raw), kSize) << "offset of the first wrong byte";
  const unsigned kBad[][2] = {{0, 1}, {65, 1}, {0xFFFFFFFFu, 1}, {1, 0},
                               {1, 129}, {64, 0}, {64, 129}, {1, 0xFFFFFFFFu}};
  for (const auto& bad : kBad) ExpectSentinels(*dm, bad[0], bad[1]);
  EXPECT_EQ(FirstDiff(want, raw), kSize) << "out-of-range write";
}

// DVR 64 starts at 35536, its user name at 36056, its password at 36077,
// channel 128 at record offset 516. Texts keep 20 characters, a shorter one
// clears the rest, and the 21st byte is never written, so a field filled by
// the device manager without a terminator reads as its first 20 characters.
TEST(DMInterface, FilledSegmentNotWipedSettersWriteOnlyTheirBytesTextsKeepTwenty) {
  unsigned char* raw = Raw(kSize, 0xEE);
  ASSERT_NE(raw, nullptr);
  std::vector<unsigned char> want(raw, raw + kSize);
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  ASSERT_TRUE(dm && !failed);
  EXPECT_EQ(dm->GetUserNamebyDvrId(1) + "|" + dm->GetPassWordbyDvrId(1),
            std::string(20, '\xEE') + "|" + std::string(20, '\xEE'));
  ASSERT_TRUE(dm->SetClientProcIdbyDvrId(64, 0x05050505) && dm->SetPassWordbyDvrId(64, "p") &&
              dm->SetCamIdbyDvrIdChnl(64, 128, 0x07070707) &&
              dm->SetUserNamebyDvrId(64, "abcdefghijklmnopqrstuvwxy"));
  EXPECT_EQ(dm->GetUserNamebyDvrId(64) + "|" + dm->GetPassWordbyDvrId(64),
            "abcdefghijklmnopqrst|p");
  std::memset(&want[35536], 5, 4);
  std::memset(&want[35536 + 516], 7, 4);
  std::memcpy(&want[36056], "abcdefghijklmnopqrst", 20);
  std::memset(&want[36077], 0, 20);
  want[36077] = 'p';
  EXPECT_EQ(FirstDiff(want, raw), kSize) << "offset of the first wrong byte";
}

// Records the device manager stores while Init's new segment is not yet
// initialised. A UID of 0 is the one value Init cannot tell from the kernel's
// zero fill: it reads -1 afterwards.
const struct { unsigned dvrid, pid; int uid; unsigned chnl; uint32_t camid; const char *user, *pass; }
    kWindow[] = {{1, 4321, 7, 1, 1005, "operator", "pw"},
                 {2, 0, -5, 128, 0xFFFFFFFF, "", "x"},
                 {64, 0x05050505, 0, 64, 3, "abcdefghijklmnopqrst", "abcdefghijklmnopqrst"}};
constexpr uint32_t kHeaderWord = 0xA5A5A5A5;

// Acts as the device manager inside the window: a second interface object
// (its Init links the new segment) stores the records, a raw write the header.
void StoreInWindow() {
  bool failed = true;
  IKorinDMIf other(failed);
  unsigned char* raw = Raw();
  ASSERT_TRUE(!failed && raw);
  std::memcpy(raw, &kHeaderWord, 4);
  shmdt(raw);
  for (const auto& w : kWindow)
    EXPECT_TRUE(other.SetClientProcIdbyDvrId(w.dvrid, w.pid) && other.SetUIDbyDvrId(w.dvrid, w.uid) &&
                other.SetCamIdbyDvrIdChnl(w.dvrid, w.chnl, w.camid) &&
                other.SetUserNamebyDvrId(w.dvrid, w.user) && other.SetPassWordbyDvrId(w.dvrid, w.pass));
}

// Whatever another process stores between Init's exclusive create and its
// initialisation survives: the credentials it reported as stored above all.
TEST(DMInterface, RecordsStoredBetweenCreateAndInitialisationSurviveInit) {
  ASSERT_EQ(Raw(), nullptr) << "namespace not private";
  dmseam::g_after_exclusive_create = StoreInWindow;
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  dmseam::g_after_exclusive_create = nullptr;
  unsigned char* raw = Raw();
  ASSERT_TRUE(dm && raw && !failed);
  EXPECT_EQ(dm->GetUserNamebyDvrId(1) + "|" + dm->GetPassWordbyDvrId(1), "operator|pw");
  std::vector<unsigned char> want = Fresh();
  std::memcpy(&want[0], &kHeaderWord, 4);
  for (const auto& w : kWindow) {
    const int uid = w.uid != 0 ? w.uid : -1;
    std::memcpy(&want[Rec(w.dvrid)], &w.pid, 4);
    std::memcpy(&want[Rec(w.dvrid) + 4], &uid, 4);
    std::memcpy(&want[Rec(w.dvrid) + 4 + 4 * w.chnl], &w.camid, 4);
    std::memcpy(&want[Rec(w.dvrid) + 520], w.user, std::strlen(w.user));
    std::memcpy(&want[Rec(w.dvrid) + 541], w.pass, std::strlen(w.pass));
  }
  EXPECT_EQ(FirstDiff(want, raw), kSize) << "offset of the first wrong byte";
}

TEST(DMInterface, TooSmallSegmentMakesInstanceFailAndObjectAnswersSentinels) {
  ASSERT_NE(Raw(kSize - 1, 0x77), nullptr);
  bool failed = false;
  EXPECT_EQ(Singleton<IKorinDMIf>::Instance(failed), nullptr);
  IKorinDMIf dm(failed);
  ASSERT_TRUE(failed);
  ExpectSentinels(dm, 1, 1);
}

}  // namespace

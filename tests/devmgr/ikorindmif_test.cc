// The device-manager interface on the real key 4145. Every test case runs in
// its own IPC namespace, so it starts without a segment and never sees the
// machine's own.
#include "devmgr/ikorindmif.h"

#include <gtest/gtest.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

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

IKorinDMIf* Open() {
  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  EXPECT_FALSE(failed);
  return dm;
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

// Out-of-range ids and channels must give sentinels and write nothing.
TEST(DMInterface, CreatedSegmentInitialisedAndOutOfRangeIdsGiveSentinels) {
  ASSERT_EQ(Raw(), nullptr) << "namespace not private";
  IKorinDMIf* dm = Open();
  unsigned char* raw = Raw();
  ASSERT_TRUE(dm && raw);
  EXPECT_EQ(std::count(raw, raw + 4, 0), 4) << "header";
  for (unsigned d = 1; d <= 64; ++d) {  // UID -1; process id, camera ids and texts 0
    for (size_t i = 0; i < 564; ++i) ASSERT_EQ(raw[Rec(d) + i], i >= 4 && i < 8 ? 0xFF : 0) << d;
  }
  const std::vector<unsigned char> before(raw, raw + kSize);
  const std::pair<unsigned, unsigned> kBad[] = {{0, 1}, {65, 1}, {0xFFFFFFFFu, 1}, {1, 0},
                                                {1, 129}, {64, 0}, {64, 129}, {1, 0xFFFFFFFFu}};
  for (const auto& [dvrid, chnl] : kBad) ExpectSentinels(*dm, dvrid, chnl);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), raw)) << "out-of-range write";
}

// DVR 64 starts at 35536, its password at 36077, channel 128 at record offset
// 516; the 21st text byte is never written.
TEST(DMInterface, FilledSegmentNotWipedAndSettersWriteOnlyTheirDocumentedBytes) {
  unsigned char* raw = Raw(kSize, 0xEE);
  ASSERT_NE(raw, nullptr);
  std::memcpy(raw + Rec(3) + 520, "admin", 6);
  std::vector<unsigned char> want(raw, raw + kSize);
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  ASSERT_TRUE(dm->SetClientProcIdbyDvrId(64, 0x05050505) &&
              dm->SetCamIdbyDvrIdChnl(64, 128, 0x07070707) && dm->SetPassWordbyDvrId(64, "p"));
  std::memset(&want[35536], 5, 4);
  std::memset(&want[35536 + 516], 7, 4);
  std::memset(&want[36077], 0, 20);
  want[36077] = 'p';
  EXPECT_EQ(std::mismatch(want.begin(), want.end(), raw).first - want.begin(), kSize)
      << "offset of the first wrong byte";
}

TEST(DMInterface, TooSmallSegmentMakesInstanceFailAndObjectAnswersSentinels) {
  unsigned char* raw = Raw(kSize - 1, 0x77);
  ASSERT_NE(raw, nullptr);
  bool failed = false;
  EXPECT_EQ(Singleton<IKorinDMIf>::Instance(failed), nullptr);
  IKorinDMIf dm(failed);
  ASSERT_TRUE(failed);
  ExpectSentinels(dm, 1, 1);
  EXPECT_TRUE(raw[0] == 0x77 && raw[kSize - 2] == 0x77);
}

// At most 20 characters are stored, a shorter text clears the older one, and
// a field the device manager left unterminated reads as 20 characters.
TEST(DMInterface, TextsKeepTwentyCharactersEvenWhenUnterminated) {
  IKorinDMIf* dm = Open();
  unsigned char* raw = Raw();
  ASSERT_TRUE(dm && raw);
  for (const std::string text : {"abcdefghijklmnopqrstuvwxy", "12345678901234567890", "ab", ""}) {
    SCOPED_TRACE(text);
    ASSERT_TRUE(dm->SetUserNamebyDvrId(5, text) && dm->SetPassWordbyDvrId(5, text));
    EXPECT_EQ(dm->GetUserNamebyDvrId(5) + "|" + dm->GetPassWordbyDvrId(5),
              text.substr(0, 20) + "|" + text.substr(0, 20));
  }
  std::memset(raw + Rec(64) + 520, 'U', 21);
  std::memset(raw + Rec(64) + 541, 'P', 23);  // through the padding
  EXPECT_EQ(dm->GetUserNamebyDvrId(64), std::string(20, 'U'));
  EXPECT_EQ(dm->GetPassWordbyDvrId(64), std::string(20, 'P'));
}

}  // namespace

// The device-manager interface on the real key 4145. Every test case runs in
// its own IPC namespace, so the machine's segment is never seen and each case
// starts without a segment.
#include "devmgr/ikorindmif.h"

#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr key_t kKey = 4145;
constexpr size_t kSize = 36100;

// The segment as the device manager sees it: raw bytes, attached for the
// life of the object.
class RawSegment {
 public:
  // Attaches the existing segment of the key; Ok() is false if there is none.
  RawSegment() : id_(shmget(kKey, 0, 0)) { Attach(); }
  // Creates the segment of the key with `size` bytes, filled with `fill`.
  RawSegment(size_t size, unsigned char fill)
      : id_(shmget(kKey, size, IPC_CREAT | IPC_EXCL | 0666)) {
    Attach();
    if (Ok()) std::memset(bytes_, fill, size);
  }
  ~RawSegment() {
    if (Ok()) shmdt(bytes_);
  }
  RawSegment(const RawSegment&) = delete;
  RawSegment& operator=(const RawSegment&) = delete;

  bool Ok() const { return bytes_ != nullptr; }
  unsigned char* bytes() { return bytes_; }
  shmid_ds Stat() const {
    shmid_ds d{};
    shmctl(id_, IPC_STAT, &d);
    return d;
  }
  uint32_t U32(size_t off) const {
    uint32_t v;
    std::memcpy(&v, bytes_ + off, sizeof v);
    return v;
  }
  void PutU32(size_t off, uint32_t v) { std::memcpy(bytes_ + off, &v, 4); }

 private:
  void Attach() {
    if (id_ == -1) return;
    void* p = shmat(id_, nullptr, 0);
    if (p != reinterpret_cast<void*>(-1)) bytes_ = static_cast<unsigned char*>(p);
  }
  int id_;
  unsigned char* bytes_ = nullptr;
};

class DMTest : public ::testing::Test {
 protected:
  IKorinDMIf* Open() {
    bool failed = true;
    IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
    EXPECT_FALSE(failed);
    EXPECT_NE(dm, nullptr);
    return dm;
  }
  void TearDown() override { Singleton<IKorinDMIf>::DeleteInstance(); }
};

size_t Rec(unsigned dvrid) { return 4 + 564 * (dvrid - 1); }

TEST_F(DMTest, InitWithoutSegmentCreatesItFullyInitialised) {
  ASSERT_FALSE(RawSegment().Ok()) << "namespace not private";
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);

  RawSegment raw;
  ASSERT_TRUE(raw.Ok());
  EXPECT_EQ(raw.Stat().shm_segsz, kSize);
  EXPECT_EQ(raw.Stat().shm_perm.mode & 0777, 0666u);
  EXPECT_EQ(raw.U32(0), 0u);
  for (unsigned d = 1; d <= 64; ++d) {
    SCOPED_TRACE(d);
    const unsigned char* rec = raw.bytes() + Rec(d);
    EXPECT_EQ(raw.U32(Rec(d)), 0u);
    EXPECT_EQ(raw.U32(Rec(d) + 4), 0xFFFFFFFFu);
    for (size_t i = 8; i < 564; ++i) ASSERT_EQ(rec[i], 0) << "offset " << i;
    EXPECT_EQ(dm->GetUIDbyDvrId(d), -1);
    EXPECT_EQ(dm->GetClientProcIdbyDvrId(d), 0u);
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(d, 1), 0);
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(d, 128), 0);
    EXPECT_EQ(dm->GetUserNamebyDvrId(d), "");
    EXPECT_EQ(dm->GetPassWordbyDvrId(d), "");
  }
}

// Every setter must land on its documented offset and nowhere else: the
// segment is pre-filled with 0xEE and only the written bytes may change.
TEST_F(DMTest, SettersWriteExactlyTheDocumentedBytes) {
  RawSegment raw(kSize, 0xEE);
  ASSERT_TRUE(raw.Ok());
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);

  struct Case {
    const char* what;
    std::function<bool()> set;
    size_t first;  // offsets in the segment, inclusive
    size_t last;
  };
  const Case cases[] = {
      {"pid dvr 1", [&] { return dm->SetClientProcIdbyDvrId(1, 0x01020304); },
       4, 7},
      {"uid dvr 1", [&] { return dm->SetUIDbyDvrId(1, -2); }, 8, 11},
      {"cam dvr 1 ch 1", [&] { return dm->SetCamIdbyDvrIdChnl(1, 1, 9); }, 12,
       15},
      {"pid dvr 64", [&] { return dm->SetClientProcIdbyDvrId(64, 5); }, 35536,
       35539},
      {"uid dvr 64", [&] { return dm->SetUIDbyDvrId(64, 6); }, 35540, 35543},
      {"cam dvr 64 ch 128",
       [&] { return dm->SetCamIdbyDvrIdChnl(64, 128, 7); }, 35536 + 516,
       35536 + 519},
      {"user dvr 64", [&] { return dm->SetUserNamebyDvrId(64, "u"); },
       35536 + 520, 35536 + 539},
      // The 21st byte (36097) is left as it is.
      {"password dvr 64", [&] { return dm->SetPassWordbyDvrId(64, "p"); },
       36077, 36096},
  };
  unsigned char before[kSize];
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::memcpy(before, raw.bytes(), kSize);
    ASSERT_TRUE(c.set());
    for (size_t i = 0; i < kSize; ++i) {
      if (i < c.first || i > c.last) {
        ASSERT_EQ(raw.bytes()[i], before[i]) << "stray write at " << i;
      }
    }
  }
  EXPECT_EQ(raw.U32(4), 0x01020304u);
  EXPECT_EQ(raw.U32(8), 0xFFFFFFFEu);
  EXPECT_EQ(raw.U32(12), 9u);
  EXPECT_EQ(raw.U32(35536), 5u);
  EXPECT_EQ(raw.U32(35540), 6u);
  EXPECT_EQ(raw.U32(35536 + 516), 7u);
  EXPECT_EQ(raw.bytes()[35536 + 520], 'u');
  EXPECT_EQ(raw.bytes()[36077], 'p');
  EXPECT_EQ(raw.bytes()[36078], 0);
  EXPECT_EQ(raw.bytes()[36097], 0xEE);
  EXPECT_EQ(raw.U32(0), 0xEEEEEEEEu) << "header must never be written";
}

TEST_F(DMTest, SegmentFilledByDeviceManagerIsAttachedNotWiped) {
  RawSegment raw(kSize, 0);
  ASSERT_TRUE(raw.Ok());
  raw.PutU32(0, 0xDEADBEEF);
  std::memcpy(raw.bytes() + Rec(3) + 520, "admin", 6);
  std::memcpy(raw.bytes() + Rec(3) + 541, "secret", 7);
  raw.PutU32(Rec(3) + 4, 42);

  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  EXPECT_EQ(dm->GetUserNamebyDvrId(3), "admin");
  EXPECT_EQ(dm->GetPassWordbyDvrId(3), "secret");
  EXPECT_EQ(dm->GetUIDbyDvrId(3), 42);
  EXPECT_EQ(dm->GetUIDbyDvrId(4), 0) << "record re-initialised";
  EXPECT_EQ(raw.U32(0), 0xDEADBEEFu);
}

TEST_F(DMTest, TooSmallSegmentMakesInstanceFailAndStaysUntouched) {
  RawSegment raw(36099, 0x77);
  ASSERT_TRUE(raw.Ok());
  bool failed = false;
  EXPECT_EQ(Singleton<IKorinDMIf>::Instance(failed), nullptr);
  EXPECT_TRUE(failed);
  EXPECT_EQ(Singleton<IKorinDMIf>::GetInstance(), nullptr);
  EXPECT_EQ(raw.Stat().shm_segsz, 36099u);
  EXPECT_EQ(raw.Stat().shm_nattch, 1u) << "left attached";
  EXPECT_EQ(raw.bytes()[0], 0x77);
  EXPECT_EQ(raw.bytes()[36098], 0x77);
}

// An object whose Init failed must answer every accessor with its sentinel
// rather than touch a null attachment.
TEST_F(DMTest, UnattachedObjectAnswersSentinels) {
  RawSegment raw(100, 0);
  ASSERT_TRUE(raw.Ok());
  bool failed = false;
  IKorinDMIf dm(failed);
  ASSERT_TRUE(failed);
  EXPECT_FALSE(dm.Init());
  EXPECT_EQ(dm.GetClientProcIdbyDvrId(1), 0u);
  EXPECT_EQ(dm.GetUIDbyDvrId(1), -1);
  EXPECT_EQ(dm.GetCamIdbyDvrIdChnl(1, 1), -1);
  EXPECT_EQ(dm.GetUserNamebyDvrId(1), "");
  EXPECT_EQ(dm.GetPassWordbyDvrId(1), "");
  EXPECT_FALSE(dm.SetClientProcIdbyDvrId(1, 1));
  EXPECT_FALSE(dm.SetUIDbyDvrId(1, 1));
  EXPECT_FALSE(dm.SetCamIdbyDvrIdChnl(1, 1, 1));
  EXPECT_FALSE(dm.SetUserNamebyDvrId(1, "a"));
  EXPECT_FALSE(dm.SetPassWordbyDvrId(1, "a"));
}

TEST_F(DMTest, OutOfRangeIdsAndChannelsGiveSentinelsAndWriteNothing) {
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  RawSegment raw;
  ASSERT_TRUE(raw.Ok());
  unsigned char before[kSize];
  std::memcpy(before, raw.bytes(), kSize);

  struct Ids {
    unsigned dvrid;
    unsigned chnl;
  };
  for (Ids bad : {Ids{0, 1}, Ids{65, 1}, Ids{1, 0}, Ids{1, 129}, Ids{64, 0},
                  Ids{64, 129}, Ids{0xFFFFFFFFu, 1}, Ids{1, 0xFFFFFFFFu}}) {
    SCOPED_TRACE(std::to_string(bad.dvrid) + "/" + std::to_string(bad.chnl));
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(bad.dvrid, bad.chnl), -1);
    EXPECT_FALSE(dm->SetCamIdbyDvrIdChnl(bad.dvrid, bad.chnl, 5));
  }
  for (unsigned bad : {0u, 65u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(dm->GetClientProcIdbyDvrId(bad), 0u);
    EXPECT_EQ(dm->GetUIDbyDvrId(bad), -1);
    EXPECT_EQ(dm->GetUserNamebyDvrId(bad), "");
    EXPECT_EQ(dm->GetPassWordbyDvrId(bad), "");
    EXPECT_FALSE(dm->SetClientProcIdbyDvrId(bad, 5));
    EXPECT_FALSE(dm->SetUIDbyDvrId(bad, 5));
    EXPECT_FALSE(dm->SetUserNamebyDvrId(bad, "x"));
    EXPECT_FALSE(dm->SetPassWordbyDvrId(bad, "x"));
  }
  EXPECT_EQ(std::memcmp(before, raw.bytes(), kSize), 0);
}

TEST_F(DMTest, TextSettersKeepTwentyCharactersAndClearOldText) {
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  RawSegment raw;
  ASSERT_TRUE(raw.Ok());
  const size_t user = Rec(5) + 520;

  struct Case {
    std::string stored;
    std::string read;
  };
  const Case cases[] = {
      {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrst"},  // 25 -> 20
      {"12345678901234567890", "12345678901234567890"},       // exactly 20
      {"short", "short"},  // old tail must be cleared
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    ASSERT_TRUE(dm->SetUserNamebyDvrId(5, c.stored));
    ASSERT_TRUE(dm->SetPassWordbyDvrId(5, c.stored));
    EXPECT_EQ(dm->GetUserNamebyDvrId(5), c.read);
    EXPECT_EQ(dm->GetPassWordbyDvrId(5), c.read);
  }
  for (size_t i = 0; i < 42; ++i) {
    EXPECT_EQ(raw.bytes()[user + i], 0) << "empty text left byte " << i;
  }
}

// The device manager may leave a field without terminator; the reader must
// stop at 20 characters and not run into the neighbouring field.
TEST_F(DMTest, UnterminatedTextFieldsReadAsTwentyCharacters) {
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  RawSegment raw;
  ASSERT_TRUE(raw.Ok());
  std::memset(raw.bytes() + Rec(64) + 520, 'U', 21);
  std::memset(raw.bytes() + Rec(64) + 541, 'P', 23);  // through the padding
  EXPECT_EQ(dm->GetUserNamebyDvrId(64), std::string(20, 'U'));
  EXPECT_EQ(dm->GetPassWordbyDvrId(64), std::string(20, 'P'));
}

TEST_F(DMTest, CameraIdsKeepFullUnsignedRangeAndLow32Bits) {
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  struct Case {
    unsigned long stored;
    long read;
  };
  for (Case c : {Case{0xFFFFFFFFul, 4294967295L}, Case{0x100000005ul, 5},
                 Case{0x80000000ul, 2147483648L}, Case{0, 0}}) {
    SCOPED_TRACE(c.stored);
    ASSERT_TRUE(dm->SetCamIdbyDvrIdChnl(2, 77, c.stored));
    EXPECT_EQ(dm->GetCamIdbyDvrIdChnl(2, 77), c.read);
  }
  ASSERT_TRUE(dm->SetUIDbyDvrId(2, -12345));
  EXPECT_EQ(dm->GetUIDbyDvrId(2), -12345);
  ASSERT_TRUE(dm->SetClientProcIdbyDvrId(2, 0xFFFFFFFFu));
  EXPECT_EQ(dm->GetClientProcIdbyDvrId(2), 0xFFFFFFFFu);
}

TEST_F(DMTest, ObjectHoldsOneAttachmentAndNeverRemovesTheSegment) {
  IKorinDMIf* dm = Open();
  ASSERT_NE(dm, nullptr);
  ASSERT_TRUE(dm->SetUserNamebyDvrId(1, "kept"));
  RawSegment raw;
  ASSERT_TRUE(raw.Ok());
  EXPECT_EQ(raw.Stat().shm_nattch, 2u);
  ASSERT_TRUE(dm->Init());  // re-attaching must release the old attachment
  EXPECT_EQ(raw.Stat().shm_nattch, 2u);
  EXPECT_EQ(dm->GetUserNamebyDvrId(1), "kept") << "re-init wiped the segment";

  bool failed = true;
  ASSERT_NE(Singleton<IKorinDMIf>::Instance(failed), nullptr);
  EXPECT_EQ(raw.Stat().shm_nattch, 2u) << "old instance not released";
  Singleton<IKorinDMIf>::DeleteInstance();
  EXPECT_EQ(raw.Stat().shm_nattch, 1u);
  EXPECT_NE(shmget(kKey, 0, 0), -1) << "segment removed";
}

}  // namespace

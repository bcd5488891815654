// The device-manager interface over a fuzzed segment image. The target
// enters a private IPC namespace once, so the segment of the device
// manager's key is its own, and creates that segment. Per input: the input
// (zero-filled to the segment size) becomes the segment's contents, the
// interface attaches it through the singleton, and every getter is compared
// with the image, for every DVR id and the channels at and beyond the
// edges. Then a user name and a password taken from the image's first
// bytes are stored for one DVR id and read back; nothing else may change.
#include <sched.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "devmgr/ikorindmif.h"
#include "fuzz/fuzz_input.h"

namespace {

using namespace dmlayout;

unsigned char* g_segment = nullptr;

void WriteFileText(const char* path, const std::string& text) {
  FILE* file = std::fopen(path, "w");
  FUZZ_CHECK(file != nullptr);
  std::fputs(text.c_str(), file);
  std::fclose(file);
}

// As root a new IPC namespace is enough; otherwise a user namespace in
// which this process is root comes with it.
void EnterPrivateIpcNamespace() {
  if (getuid() == 0) {
    FUZZ_CHECK(unshare(CLONE_NEWIPC) == 0);
    return;
  }
  const std::string uid = std::to_string(getuid());
  const std::string gid = std::to_string(getgid());
  FUZZ_CHECK(unshare(CLONE_NEWUSER | CLONE_NEWIPC) == 0);
  WriteFileText("/proc/self/setgroups", "deny");
  WriteFileText("/proc/self/uid_map", "0 " + uid + " 1");
  WriteFileText("/proc/self/gid_map", "0 " + gid + " 1");
}

template <typename T>
T LoadAt(const unsigned char* image, size_t offset) {
  T value;
  std::memcpy(&value, image + offset, sizeof value);
  return value;
}

// The text of a 21-byte field as the interface must read it: up to the
// first zero byte, at most 20 characters.
std::string FieldText(const unsigned char* field) {
  size_t length = 0;
  while (length < kTextMaxLen && field[length] != 0) ++length;
  return std::string(reinterpret_cast<const char*>(field), length);
}

void CheckGetters(const IKorinDMIf& dm, const unsigned char* image) {
  for (unsigned dvrid = 0; dvrid <= kDvrCount + 1; ++dvrid) {
    const bool in_range = dvrid >= 1 && dvrid <= kDvrCount;
    const unsigned char* rec = in_range ? image + RecordOffset(dvrid) : nullptr;
    FUZZ_CHECK(dm.GetUserNamebyDvrId(dvrid) ==
               (rec ? FieldText(rec + kUserOffset) : std::string()));
    FUZZ_CHECK(dm.GetPassWordbyDvrId(dvrid) ==
               (rec ? FieldText(rec + kPassOffset) : std::string()));
    FUZZ_CHECK(dm.GetClientProcIdbyDvrId(dvrid) ==
               (rec ? LoadAt<uint32_t>(rec, kPidOffset) : 0u));
    FUZZ_CHECK(dm.GetUIDbyDvrId(dvrid) ==
               (rec ? LoadAt<int32_t>(rec, kUidOffset) : -1));
    for (unsigned chnl : {0u, 1u, 64u, kChannelCount, kChannelCount + 1}) {
      const bool chnl_in_range = chnl >= 1 && chnl <= kChannelCount;
      const long expected =
          rec && chnl_in_range
              ? static_cast<long>(LoadAt<uint32_t>(
                    rec, kCamIdOffset + kCamIdSize * (chnl - 1)))
              : -1L;
      FUZZ_CHECK(dm.GetCamIdbyDvrIdChnl(dvrid, chnl) == expected);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  EnterPrivateIpcNamespace();
  const int id = shmget(kKey, kSegmentSize, IPC_CREAT | IPC_EXCL | 0666);
  FUZZ_CHECK(id >= 0);
  void* addr = shmat(id, nullptr, 0);
  FUZZ_CHECK(addr != reinterpret_cast<void*>(-1));
  g_segment = static_cast<unsigned char*>(addr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static unsigned char image[kSegmentSize];
  std::memset(image, 0, sizeof image);
  std::memcpy(image, data, size < sizeof image ? size : sizeof image);
  std::memcpy(g_segment, image, sizeof image);

  bool failed = true;
  IKorinDMIf* dm = Singleton<IKorinDMIf>::Instance(failed);
  FUZZ_CHECK(dm != nullptr && !failed);
  CheckGetters(*dm, image);

  // Store texts of up to 32 bytes (zero bytes included) for one DVR id.
  const unsigned dvrid = 1 + image[0] % kDvrCount;
  const std::string user(reinterpret_cast<const char*>(image) + 1, image[1] % 33);
  const std::string pass(reinterpret_cast<const char*>(image) + 34, image[34] % 33);
  FUZZ_CHECK(dm->SetUserNamebyDvrId(dvrid, user));
  FUZZ_CHECK(dm->SetPassWordbyDvrId(dvrid, pass));
  FUZZ_CHECK(!dm->SetUserNamebyDvrId(0, user) &&
             !dm->SetPassWordbyDvrId(kDvrCount + 1, pass));
  unsigned char* rec = image + RecordOffset(dvrid);
  // The first 20 bytes of each field: the text, zero-filled; byte 21 stays.
  std::memset(rec + kUserOffset, 0, kTextMaxLen);
  std::copy_n(user.begin(), std::min(user.size(), kTextMaxLen), rec + kUserOffset);
  std::memset(rec + kPassOffset, 0, kTextMaxLen);
  std::copy_n(pass.begin(), std::min(pass.size(), kTextMaxLen), rec + kPassOffset);
  FUZZ_CHECK(std::memcmp(g_segment, image, sizeof image) == 0);
  CheckGetters(*dm, image);

  Singleton<IKorinDMIf>::DeleteInstance();
  FUZZ_CHECK(Singleton<IKorinDMIf>::GetInstance() == nullptr);
  return 0;
}

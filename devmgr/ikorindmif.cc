// The device-manager interface: attaching the shared segment and typed
// access to its per-DVR records.
#include "devmgr/ikorindmif.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "devmgr/ikorindmif_seam.h"
#include "devmgr/sharedmem.h"

using namespace dmlayout;

void (*dmseam::g_after_exclusive_create)() = nullptr;

namespace {

// Integer fields are copied in and out of the segment, never accessed in
// place: the segment is shared with another process and its layout is not
// ours to align.
template <typename T>
T Load(const unsigned char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

template <typename T>
void Store(unsigned char* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

// The camera-id field of channel `chnl` (1 to 128) of a record, or null.
template <typename Byte>
Byte* CamIdField(Byte* rec, unsigned chnl) {
  if (rec == nullptr || chnl < 1 || chnl > kChannelCount) return nullptr;
  return rec + kCamIdOffset + kCamIdSize * (chnl - 1);
}

}  // namespace

IKorinDMIf::IKorinDMIf(bool& failed) { failed = !Init(); }

IKorinDMIf::~IKorinDMIf() { Detach(); }

void IKorinDMIf::Detach() {
  if (m_addr != nullptr) {
    Shm_Unlink(m_addr);
    m_addr = nullptr;
  }
}

bool IKorinDMIf::Init() {
  Detach();

  void* addr = nullptr;
  if (Shm_Link(kKey, kSegmentSize, &m_id, &addr) == 0) {
    m_addr = addr;
    return true;
  }

  // No usable segment yet. An exclusive create tells a segment made by this
  // call (to be initialised) from one the device manager made since the
  // failed link (already filled, attached as it is).
  int rc = Shm_CreateExclusive(kKey, kSegmentSize, &m_id, &addr);
  if (rc == 0) {
    m_addr = addr;
    if (dmseam::g_after_exclusive_create) dmseam::g_after_exclusive_create();
    InitialiseSegment();
    return true;
  }
  if (rc == EEXIST && Shm_Create(kKey, kSegmentSize, &m_id, &addr) == 0) {
    m_addr = addr;
    return true;
  }

  m_addr = nullptr;
  return false;
}

// The UID fields are written in place by a compare-and-swap, so they must be
// naturally aligned words; shmat hands out page-aligned addresses.
static_assert((kHeaderSize + kUidOffset) % alignof(int32_t) == 0 &&
                  kRecordSize % alignof(int32_t) == 0,
              "UID fields aligned");
static_assert(__atomic_always_lock_free(sizeof(int32_t), 0),
              "UID compare-and-swap lock-free across processes");

// The kernel fills a new System V segment with zero bytes, so the header
// word, the client process ids, the camera ids and the texts of the segment
// this process just created already hold their initial values; only the UIDs
// (initially -1) remain. Nothing else may be written: from the moment of the
// exclusive create, another process (the device manager) can attach the
// segment and store credentials, ids or a UID, and would have reported
// success already, so a plain initialisation would erase them. Each UID is
// therefore set with one compare-and-swap from 0 to -1, which leaves any
// other value stored meanwhile in place. The one value it cannot tell from
// the zero fill is a UID of 0 stored inside the window: that UID reads -1
// afterwards, the value of a record nobody has set; we accept that.
void IKorinDMIf::InitialiseSegment() {
  unsigned char* seg = static_cast<unsigned char*>(m_addr);
  for (unsigned dvrid = 1; dvrid <= kDvrCount; ++dvrid) {
    int32_t* uid =
        reinterpret_cast<int32_t*>(seg + RecordOffset(dvrid) + kUidOffset);
    int32_t expected = 0;
    // Only the word itself matters, nothing is published with it: relaxed.
    __atomic_compare_exchange_n(uid, &expected, -1, false, __ATOMIC_RELAXED,
                                __ATOMIC_RELAXED);
  }
}

unsigned char* IKorinDMIf::Record(unsigned dvrid) const {
  if (dvrid < 1 || dvrid > kDvrCount) return nullptr;
  if (m_addr == nullptr) return nullptr;
  return static_cast<unsigned char*>(m_addr) + RecordOffset(dvrid);
}

std::string IKorinDMIf::ReadText(const unsigned char* field) {
  // One plain copy of the field, then stop at the first zero byte within
  // the 20 characters; the 21st byte is never trusted to be a terminator.
  char copy[kTextMaxLen];
  std::memcpy(copy, field, kTextMaxLen);
  size_t len = 0;
  while (len < kTextMaxLen && copy[len] != '\0') ++len;
  return std::string(copy, len);
}

void IKorinDMIf::WriteText(unsigned char* field, const std::string& text) {
  // The 20 characters are zero filled, then take at most 20 bytes of the
  // text: a text of 20 has no terminator within them on purpose, and the
  // 21st byte is not written (readers never trust it, see ReadText).
  std::memset(field, 0, kTextMaxLen);
  text.copy(reinterpret_cast<char*>(field), kTextMaxLen);
}

unsigned IKorinDMIf::GetClientProcIdbyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  return rec ? Load<uint32_t>(rec + kPidOffset) : 0;
}

bool IKorinDMIf::SetClientProcIdbyDvrId(unsigned dvrid, unsigned value) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  Store<uint32_t>(rec + kPidOffset, value);
  return true;
}

int IKorinDMIf::GetUIDbyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  return rec ? Load<int32_t>(rec + kUidOffset) : -1;
}

bool IKorinDMIf::SetUIDbyDvrId(unsigned dvrid, int value) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  Store<int32_t>(rec + kUidOffset, value);
  return true;
}

long IKorinDMIf::GetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl) const {
  const unsigned char* field = CamIdField(Record(dvrid), chnl);
  return field ? static_cast<long>(Load<uint32_t>(field)) : -1;
}

bool IKorinDMIf::SetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl,
                                     unsigned long value) {
  unsigned char* field = CamIdField(Record(dvrid), chnl);
  if (field == nullptr) return false;
  Store<uint32_t>(field, static_cast<uint32_t>(value));
  return true;
}

std::string IKorinDMIf::GetUserNamebyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return std::string();
  return ReadText(rec + kUserOffset);
}

std::string IKorinDMIf::GetPassWordbyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return std::string();
  return ReadText(rec + kPassOffset);
}

bool IKorinDMIf::SetUserNamebyDvrId(unsigned dvrid, const std::string& text) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  WriteText(rec + kUserOffset, text);
  return true;
}

bool IKorinDMIf::SetPassWordbyDvrId(unsigned dvrid, const std::string& text) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  WriteText(rec + kPassOffset, text);
  return true;
}

// The device-manager interface: attaching the shared segment and typed
// access to its per-DVR records.
#include "devmgr/ikorindmif.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "devmgr/sharedmem.h"

using namespace dmlayout;

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

void IKorinDMIf::InitialiseSegment() {
  unsigned char* seg = static_cast<unsigned char*>(m_addr);
  const uint32_t header = 0;
  std::memcpy(seg, &header, sizeof header);
  for (unsigned dvrid = 1; dvrid <= kDvrCount; ++dvrid) {
    unsigned char* rec = seg + RecordOffset(dvrid);
    const uint32_t pid = 0;
    const int32_t uid = -1;
    std::memcpy(rec + kPidOffset, &pid, sizeof pid);
    std::memcpy(rec + kUidOffset, &uid, sizeof uid);
    std::memset(rec + kCamIdOffset, 0, kChannelCount * kCamIdSize);
    std::memset(rec + kUserOffset, 0, kTextFieldSize);
    std::memset(rec + kPassOffset, 0, kTextFieldSize);
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
  std::memset(field, 0, kTextMaxLen);
  size_t n = text.size() < kTextMaxLen ? text.size() : kTextMaxLen;
  std::memcpy(field, text.data(), n);
}

unsigned IKorinDMIf::GetClientProcIdbyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return 0;
  uint32_t value;
  std::memcpy(&value, rec + kPidOffset, sizeof value);
  return value;
}

bool IKorinDMIf::SetClientProcIdbyDvrId(unsigned dvrid, unsigned value) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  const uint32_t stored = value;
  std::memcpy(rec + kPidOffset, &stored, sizeof stored);
  return true;
}

int IKorinDMIf::GetUIDbyDvrId(unsigned dvrid) const {
  const unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return -1;
  int32_t value;
  std::memcpy(&value, rec + kUidOffset, sizeof value);
  return value;
}

bool IKorinDMIf::SetUIDbyDvrId(unsigned dvrid, int value) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr) return false;
  const int32_t stored = value;
  std::memcpy(rec + kUidOffset, &stored, sizeof stored);
  return true;
}

long IKorinDMIf::GetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl) const {
  const unsigned char* rec = Record(dvrid);
  if (rec == nullptr || chnl < 1 || chnl > kChannelCount) return -1;
  uint32_t value;
  std::memcpy(&value, rec + kCamIdOffset + kCamIdSize * (chnl - 1),
              sizeof value);
  return static_cast<long>(value);
}

bool IKorinDMIf::SetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl,
                                     unsigned long value) {
  unsigned char* rec = Record(dvrid);
  if (rec == nullptr || chnl < 1 || chnl > kChannelCount) return false;
  const uint32_t stored = static_cast<uint32_t>(value);
  std::memcpy(rec + kCamIdOffset + kCamIdSize * (chnl - 1), &stored,
              sizeof stored);
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

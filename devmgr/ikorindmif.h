// Typed access to the device manager's shared-memory segment: per-DVR user
// name, password, client process id, UID and camera ids.
#ifndef QM_DEVMGR_IKORINDMIF_H_
#define QM_DEVMGR_IKORINDMIF_H_

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "devmgr/singleton.h"

// The segment layout shared with the device manager, fixed byte for byte.
// Integers are 32-bit in host byte order; texts are 8-bit, zero-terminated.
namespace dmlayout {

constexpr key_t kKey = 4145;
constexpr size_t kHeaderSize = 4;  // header word at offset 0
constexpr unsigned kDvrCount = 64;
constexpr size_t kRecordSize = 564;
constexpr size_t kSegmentSize = kHeaderSize + kDvrCount * kRecordSize;

// Field offsets inside one DVR record.
constexpr size_t kPidOffset = 0;
constexpr size_t kUidOffset = 4;
constexpr size_t kCamIdOffset = 8;
constexpr unsigned kChannelCount = 128;
constexpr size_t kCamIdSize = 4;
constexpr size_t kUserOffset = kCamIdOffset + kChannelCount * kCamIdSize;
constexpr size_t kTextFieldSize = 21;
constexpr size_t kTextMaxLen = kTextFieldSize - 1;
constexpr size_t kPassOffset = kUserOffset + kTextFieldSize;
constexpr size_t kPaddingOffset = kPassOffset + kTextFieldSize;

static_assert(kSegmentSize == 36100, "segment size");
static_assert(kUserOffset == 520 && kPassOffset == 541, "text offsets");
static_assert(kPaddingOffset + 2 == kRecordSize, "record size");

// Offset in the segment of record `dvrid` (1 to kDvrCount).
constexpr size_t RecordOffset(unsigned dvrid) {
  return kHeaderSize + kRecordSize * (dvrid - 1);
}

}  // namespace dmlayout

// The process's view of the device manager's segment (key dmlayout::kKey).
// One object per process, held by Singleton<IKorinDMIf>. The object owns its
// attachment and detaches in its destructor; it never removes the segment.
// The segment is shared with the device manager without any lock: each field
// is read or written once, by a plain copy (only Init's UID initialisation
// is a compare-and-swap).
class IKorinDMIf : public Singleton<IKorinDMIf> {
 public:
  // Attaches the segment through Init. `failed` becomes false when Init
  // succeeded, true otherwise (the object is then unusable: every accessor
  // returns its sentinel).
  explicit IKorinDMIf(bool& failed);

  // Detaches the segment if attached.
  virtual ~IKorinDMIf();

  IKorinDMIf(const IKorinDMIf&) = delete;
  IKorinDMIf& operator=(const IKorinDMIf&) = delete;

  // Attaches the existing segment, or creates it when there is none. A
  // segment created by this call reads as initialised (header 0, client
  // process ids 0, UIDs -1, camera ids 0, texts all zero) without erasing
  // what another process stores in it meanwhile: only UIDs still 0 are set
  // to -1. One that another process created is attached as it is. An earlier
  // attachment of this object is released first. Returns true when the segment is attached;
  // false (nothing attached) when it can be neither attached nor created,
  // e.g. an existing segment smaller than dmlayout::kSegmentSize.
  bool Init();

  // Client process id of DVR `dvrid` (1-64); 0 when out of range or detached.
  unsigned GetClientProcIdbyDvrId(unsigned dvrid) const;
  // Stores it; false when out of range or detached.
  bool SetClientProcIdbyDvrId(unsigned dvrid, unsigned value);

  // UID of DVR `dvrid`; -1 when out of range or detached.
  int GetUIDbyDvrId(unsigned dvrid) const;
  // Stores it; false when out of range or detached.
  bool SetUIDbyDvrId(unsigned dvrid, int value);

  // Camera id of channel `chnl` (1-128) of DVR `dvrid`, as an unsigned 32-bit
  // value widened to long so that every stored id is distinct from the -1
  // returned when an argument is out of range or the segment is detached.
  long GetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl) const;
  // Stores the low 32 bits of `value`; false when out of range or detached.
  bool SetCamIdbyDvrIdChnl(unsigned dvrid, unsigned chnl, unsigned long value);

  // User name / password of DVR `dvrid`: the field's bytes up to its first
  // zero byte, never more than 20 characters even when the device manager
  // left no terminator. Empty when out of range or detached.
  std::string GetUserNamebyDvrId(unsigned dvrid) const;
  std::string GetPassWordbyDvrId(unsigned dvrid) const;

  // Zeroes the first 20 bytes of the field and copies the first
  // min(size, 20) bytes of `text` into it; the 21st byte is not written.
  // True after storing; false when out of range or detached.
  bool SetUserNamebyDvrId(unsigned dvrid, const std::string& text);
  bool SetPassWordbyDvrId(unsigned dvrid, const std::string& text);

 private:
  // Start of record `dvrid` in the attached segment, or nullptr when the id
  // is out of range or nothing is attached.
  unsigned char* Record(unsigned dvrid) const;

  // Gives a segment this process just created its initial contents, keeping
  // every value another process has stored in it since the create.
  void InitialiseSegment();

  void Detach();

  static std::string ReadText(const unsigned char* field);
  static void WriteText(unsigned char* field, const std::string& text);

  void* m_addr = nullptr;  // attach address; nullptr while not attached
  int m_id = -1;           // segment identifier from shmget
};

#endif  // QM_DEVMGR_IKORINDMIF_H_

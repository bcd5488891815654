// System V shared-memory helpers: find or create, size check, attach,
// detach and removal.
#include "devmgr/sharedmem.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>

namespace {

// Permission bits given when a segment is created or looked up.
constexpr int kSegmentMode = 0666;

// Looks the segment up with `flags`, checks its size against `size` and
// attaches it. Shared by the three finding functions; the contract is theirs.
int GetCheckAttach(key_t key, size_t size, int flags, int* pId, void** pMod) {
  if (pId == nullptr || pMod == nullptr) return -1;

  *pId = shmget(key, size, flags);
  if (*pId == -1) return errno;

  struct shmid_ds desc {};
  if (shmctl(*pId, IPC_STAT, &desc) == -1) return errno;
  if (desc.shm_segsz < size) return -1;

  void* addr = shmat(*pId, nullptr, 0);
  if (addr == reinterpret_cast<void*>(-1)) return errno;

  *pMod = addr;
  return 0;
}

}  // namespace

int Shm_Create(key_t key, size_t size, int* pId, void** pMod) {
  return GetCheckAttach(key, size, IPC_CREAT | kSegmentMode, pId, pMod);
}

int Shm_Link(key_t key, size_t size, int* pId, void** pMod) {
  return GetCheckAttach(key, size, kSegmentMode, pId, pMod);
}

int Shm_CreateExclusive(key_t key, size_t size, int* pId, void** pMod) {
  return GetCheckAttach(key, size, IPC_CREAT | IPC_EXCL | kSegmentMode, pId,
                        pMod);
}

int Shm_Unlink(void* pMod) {
  if (pMod == nullptr) return -1;
  if (shmdt(pMod) == -1) return errno;
  return 0;
}

int Shm_Destroy(int id, void* pMod) {
  if (pMod == nullptr) return -1;
  shmdt(pMod);
  if (shmctl(id, IPC_RMID, nullptr) == -1) return errno;
  return 0;
}

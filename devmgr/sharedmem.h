// System V shared-memory helpers used to reach the segment shared with the
// device manager. They print nothing and keep no state.
//
// Every function returns 0 on success, -1 when an argument is missing or the
// segment is smaller than asked, otherwise the errno value (positive) of the
// system call that failed. After a failure no out-parameter is changed,
// except the identifier behind pId, which holds what shmget returned.
#ifndef QM_DEVMGR_SHAREDMEM_H_
#define QM_DEVMGR_SHAREDMEM_H_

#include <sys/types.h>

#include <cstddef>

// Finds the segment of `key` or creates it (IPC_CREAT | 0666, never
// exclusive), checks that it holds at least `size` bytes and attaches it
// read-write at an address chosen by the system. The identifier goes to
// *pId, the attach address to *pMod; the caller detaches with Shm_Unlink or
// Shm_Destroy. Missing pId or pMod: -1.
int Shm_Create(key_t key, size_t size, int* pId, void** pMod);

// As Shm_Create, but only finds an existing segment (flags 0666): a key
// without a segment fails with ENOENT.
int Shm_Link(key_t key, size_t size, int* pId, void** pMod);

// As Shm_Create, but creates the segment exclusively (IPC_CREAT | IPC_EXCL |
// 0666): when a segment of `key` already exists it returns EEXIST and attaches
// nothing. A 0 result therefore means this call created the segment, filled
// with zero bytes by the kernel; other processes can attach it and write to it
// from that moment on.
int Shm_CreateExclusive(key_t key, size_t size, int* pId, void** pMod);

// Detaches the segment attached at pMod. Missing pMod: -1, nothing called.
int Shm_Unlink(void* pMod);

// Detaches the segment attached at pMod (result ignored) and marks segment
// `id` for removal; it disappears once every process has detached. Missing
// pMod: -1, nothing called; a failed removal returns its errno.
int Shm_Destroy(int id, void* pMod);

#endif  // QM_DEVMGR_SHAREDMEM_H_

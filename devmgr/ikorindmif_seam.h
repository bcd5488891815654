// Test-only seam of IKorinDMIf::Init. Programs never set it; it exists so
// that a test can act as another process at one exact point of Init.
#ifndef QM_DEVMGR_IKORINDMIF_SEAM_H_
#define QM_DEVMGR_IKORINDMIF_SEAM_H_

namespace dmseam {

// When not null, IKorinDMIf::Init calls it right after its exclusive create
// succeeded and before it writes the segment's initial values: the window in
// which another process can already attach the new segment and store records.
// Null by default; while null Init behaves exactly as without the seam. Not
// synchronised: set and reset it on the thread that calls Init.
extern void (*g_after_exclusive_create)();

}  // namespace dmseam

#endif  // QM_DEVMGR_IKORINDMIF_SEAM_H_

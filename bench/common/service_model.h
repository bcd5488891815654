// Synthetic service replies for the benchmarks, written the way the server
// (and qmsim) writes them: an XML declaration, CR LF line ends, two-space
// indentation, every field of a record present. Rows are numbered from 1
// and differ in their IDs, names and times only.
#ifndef QM_BENCH_COMMON_SERVICE_MODEL_H_
#define QM_BENCH_COMMON_SERVICE_MODEL_H_

#include <string>
#include <vector>

namespace qmbench {

// The camera directory as the native camera-metadata command answers it:
// ArrayOfCameraInformation with `cameras` entries of all 17 fields.
std::string CameraArrayReply(unsigned int cameras);
// The camera directory as the camera-table query answers it: a DataSet of
// `cameras` rows (cameraID, cameraName, IPAddress) with its inline schema.
std::string CameraTableReply(unsigned int cameras);
// A video-file list: a DataSet of `files` rows of one camera (FileID,
// CameraID, FileName, StartTime, EndTime, TotalFrames, RecordingType, Flag,
// FileManipulationStatus), 15-minute files back to back.
std::string VideoFilesReply(unsigned int files);
// A preset list: ArrayOfIPCPreset with `presets` IPCPreset entries.
std::string PresetsReply(unsigned int presets);

// A binary file header of format kind 0 without extension block, followed
// by the frame table of `frames` frames 40 ms apart.
std::vector<unsigned char> FileHeaderReply(unsigned int frames);

// A live stream held in memory: back-to-back frames (18-byte header, then
// `payload` bytes) until at least `total` bytes.
std::vector<unsigned char> LiveStream(unsigned int payload, size_t total);

}  // namespace qmbench

#endif  // QM_BENCH_COMMON_SERVICE_MODEL_H_

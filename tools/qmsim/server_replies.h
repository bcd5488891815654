// Replies describing the server and its cameras: the server description
// (50002), the health-monitor status (414), one camera (50001), the native
// camera list (50003), and the server-table and camera-table queries of the
// query command (50014).
#ifndef QMSIM_SERVER_REPLIES_H
#define QMSIM_SERVER_REPLIES_H

#include <cstdint>

#include "envelope.h"
#include "request_handler.h"
#include "server_state.h"
#include "sql_query.h"

namespace qmsim {

// ServerInformation: ID, Name, Version, LivePort (the live stream's port),
// TimeZoneInfo.
void AnswerServerMetadata(const ServerState& state, SimReply* reply);

// HealthMonitorStatus with one Cameras/CameraStatus entry per camera.
void AnswerServerStatus(const ServerState& state, SimReply* reply);

// CameraInformation of the camera in IntParameter1; a nil CameraInformation
// for an unknown camera.
void AnswerCameraMetadata(const SimRequest& request, const ServerState& state,
                          SimReply* reply);

// ArrayOfCameraInformation of every camera.
void AnswerCamerasMetadata(const ServerState& state, SimReply* reply);

// The server's row of dbo.Servers, or no row for another server ID.
void AnswerServerTable(const SqlQuery& query, const ServerState& state, SimReply* reply);

// cameraID, cameraName, IPAddress of every camera, or no row for another
// server ID.
void AnswerCameraTable(const SqlQuery& query, const ServerState& state, SimReply* reply);

}  // namespace qmsim

#endif  // QMSIM_SERVER_REPLIES_H

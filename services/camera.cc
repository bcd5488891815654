// The camera record: construction and the weak server reference.
#include "services/camera.h"

#include "client/server.h"

namespace QM {

Camera::Camera()
    : FrameWidth(0),
      FrameHeight(0),
      FrameRate(0),
      IsPTZ(false),
      Disabled(false),
      Active(false),
      HTTPPort(0),
      RTSPPort(0),
      RTPPort(0),
      RTCPPort(0),
      NetworkBandwidth(0),
      server_(),
      id_(0) {}

Camera::Camera(unsigned int id, boost::shared_ptr<Server> server) : Camera() {
  id_ = id;
  SetServer(server);
}

Camera::~Camera() {}

void Camera::SetServer(boost::shared_ptr<Server> server) { server_ = server; }

boost::shared_ptr<Server> Camera::GetServer() const { return server_.lock(); }

}  // namespace QM

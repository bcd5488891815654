// A camera of a video server, as the camera directory, the health-monitor
// status and the single-camera metadata reply describe it.
#ifndef QM_SERVICES_CAMERA_H_
#define QM_SERVICES_CAMERA_H_

#include <string>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

namespace QM {

class Server;

// Held through shared pointers: the server's camera map shares them with
// whoever asked for them. The camera refers back to its server only weakly,
// so a server and its cameras form no ownership cycle. Numbers are read from
// their reply fields as atoi reads them (empty or non-numeric text gives 0,
// ports keep the low 16 bits); flags are true only for the exact text
// "true"; texts are widened byte by byte.
class Camera {
 public:
  // ID 0, no server; every number 0, every flag false, every text empty.
  Camera();
  // The given ID; the server is stored through SetServer (weakly).
  Camera(unsigned int id, boost::shared_ptr<Server> server);
  virtual ~Camera();

  unsigned int ID() const { return id_; }
  void SetID(unsigned int id) { id_ = id; }
  // Stores a weak reference to `server` (an empty pointer clears it).
  void SetServer(boost::shared_ptr<Server> server);
  // The server while it still exists; an empty pointer when it is gone or
  // was never set (cameras made by the directory parsers and AddCamera).
  boost::shared_ptr<Server> GetServer() const;

  std::wstring Name;              // "Name", "CameraName" or "cameraName"
  unsigned int FrameWidth;        // "FrameWidth"
  unsigned int FrameHeight;       // "FrameHeight"
  unsigned int FrameRate;         // "FrameRate"
  std::wstring FourCC;            // "FourCC"
  bool IsPTZ;                     // "IsPTZ"
  bool Disabled;                  // "Disabled"
  bool Active;                    // "Active"
  std::wstring Description;       // "Description"
  std::wstring IPAddress;         // "IPAddress"
  std::wstring UserName;          // "UserName" or "IPUserName"
  std::wstring Password;          // "Password"
  unsigned short HTTPPort;        // "HTTPPort"
  unsigned short RTSPPort;        // "RTSPPort"
  unsigned short RTPPort;         // "RTPPort"
  unsigned short RTCPPort;        // "RTCPPort"
  unsigned int NetworkBandwidth;  // "NetworkBandwidth" (status reply)
  std::wstring LastRecievedTime;  // "LastRecievedTime" (status reply)

 private:
  boost::weak_ptr<Server> server_;
  unsigned int id_;
};

typedef boost::shared_ptr<Camera> CameraPtr;

}  // namespace QM

#endif  // QM_SERVICES_CAMERA_H_

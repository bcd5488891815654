// The server client over POSIX TCP. Every request goes out on a fresh
// connection (TransactCommandChannel); the channel operations use one member
// connection for streams. Nothing here prints or throws; failures show in
// the results only.
#ifndef QM_PROTOCOL_QMLINUX_H_
#define QM_PROTOCOL_QMLINUX_H_

#include <cstddef>

#include "client/server.h"
#include "protocol/socket.h"

class QMLinux : public QM::Server {
 public:
  // Capacity of the address array, in wide characters (terminator included).
  static constexpr size_t kAddressChars = 4096;
  // Largest reply an exchange accepts, in bytes (256 MiB).
  static constexpr size_t kMaxReplyBytes = size_t{256} * 1024 * 1024;
  // Most bytes one receive of a reply takes, in bytes.
  static constexpr size_t kReceiveChunk = size_t{16} * 1024;

  // The QM::Server part gets user, password, clicks and cookie only (its own
  // address stays empty, its port 4011); this object keeps `address` (cut
  // to kAddressChars - 1 characters, always terminated; null gives empty)
  // and `port` as the target of every connection. A cookie of 0 draws a
  // random one.
  QMLinux(const wchar_t* address, unsigned short port, const wchar_t* user,
          const wchar_t* password, unsigned long long clicks,
          unsigned int cookie);
  // Shuts the member connection down and closes it.
  virtual ~QMLinux();

  // Connects the member socket to the stored address and command port;
  // true when connected.
  bool OpenCommandChannel() override;
  // Connects the member socket to the stored address and `port`.
  bool OpenDataChannel(unsigned short port) override;
  // Shuts the member connection down; the member socket is then a fresh
  // unconnected one, ready for another Open.
  void CloseConnection() override;
  // One send of the whole vector (at most INT_MAX bytes) on the member
  // socket: the count sent, or 0xFFFFFFFF when the send failed.
  unsigned int WriteConnection(QM::ByteVector& data) override;
  // Fills `data` (already sized; its size is not changed) from the member
  // socket until it is full, the peer closes or an error occurs; returns
  // the count read.
  unsigned int ReadConnection(QM::ByteVector& data) override;
  // Connects to the stored address and command port, sends the whole
  // request (continuing partial sends) and reads until the peer closes.
  // Returns the reply size with `reply` holding exactly those bytes (an
  // empty reply empties it). Returns 0 with `reply` untouched when the
  // request is empty, the connect or a send fails, the reply would exceed
  // the reply limit, or the reply buffer cannot grow. No member state is
  // used but the address, port and reply limit.
  unsigned int TransactCommandChannel(QM::ByteVector& request,
                                      QM::ByteVector& reply) override;
  // Keeps nothing of the frame and answers false: a playback stream runs
  // until the server ends it, a read falls short or its stop frame arrives.
  bool NewPlaybackFrame(bool key_frame, unsigned long long ticks,
                        unsigned int frame_number, unsigned int value,
                        unsigned int extra, QM::ByteVector& payload) override;
  // Keeps nothing of the frame and answers true: a live stream ends after
  // its first frame. Subclasses that want more frames override it.
  bool NewLiveFrame(unsigned int value_a, bool key_frame,
                    unsigned int value_b, unsigned int value_c,
                    unsigned int value_d, unsigned short value_e,
                    QM::ByteVector& payload) override;

  // Lowers the largest reply an exchange accepts (values above
  // kMaxReplyBytes are taken as kMaxReplyBytes).
  void SetReplyLimit(size_t bytes);
  size_t GetReplyLimit() const { return reply_limit_; }
  // The stored connection address (zero-terminated, owned by this object)
  // and command port.
  const wchar_t* GetServerAddress() const { return server_address_; }
  unsigned short GetCommandPort() const { return command_port_; }

 private:
  wchar_t server_address_[kAddressChars];
  unsigned short command_port_;
  TCPSocket socket_;
  size_t reply_limit_;
};

#endif  // QM_PROTOCOL_QMLINUX_H_

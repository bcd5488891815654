// Thin RAII wrappers over a POSIX IPv4 socket descriptor. Results follow the
// transport's conventions: 65535 for success and 0 for failure; nothing is
// printed and nothing is thrown. Connect, send and receive block without a
// timeout; a call interrupted by a signal is resumed.
#ifndef QM_PROTOCOL_SOCKET_H_
#define QM_PROTOCOL_SOCKET_H_

// Owns one descriptor (or none, -1). Not copyable: the descriptor is closed
// exactly once, by its owner.
class Socket {
 public:
  // Opens socket(AF_INET, type, protocol); the descriptor stays -1 when that
  // fails (every later operation then reports failure).
  Socket(int type, int protocol);
  // Closes the descriptor if there is one.
  virtual ~Socket();

  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Closes any open descriptor and opens a fresh one of the same type and
  // protocol (-1 when that fails).
  void NewSocket();
  // Closes the descriptor if there is one; the descriptor becomes -1.
  void CloseSocket();
  // The descriptor, -1 for none. Owned by this object.
  int Descriptor() const { return descriptor_; }

 protected:
  int type_;
  int protocol_;
  int descriptor_;
};

// A socket that connects to a peer and exchanges bytes with it.
class CommunicatingSocket : public Socket {
 public:
  CommunicatingSocket(int type, int protocol);
  virtual ~CommunicatingSocket();

  // Resolves `address` (host name or dotted IPv4 text, not null) and
  // connects to it on `port`. Returns 65535 when connected; 0 when the
  // address does not resolve, there is no descriptor or the connect fails.
  // `timeout` is not used (callers pass -1).
  int Connect(const wchar_t* address, unsigned short port, int timeout);
  // One send of `length` bytes from `buffer` (a negative length sends
  // nothing). `sent` receives the count sent, or -1 on failure. Returns
  // 65535 unless the send failed, 0 then. A partial send is not continued.
  int Send(const void* buffer, int length, int& sent);
  // One receive of at most `length` bytes into `buffer`. `received` gets
  // the count (0 when the peer closed, on an error, or for a length <= 0).
  // Returns false only when there is no descriptor. `timeout` is not used.
  bool Receive(void* buffer, int length, int& received, int timeout);
};

// A TCP stream socket.
class TCPSocket : public CommunicatingSocket {
 public:
  // Opens an unconnected stream socket (SOCK_STREAM, protocol 6).
  TCPSocket();
  // Close(), then the base class closes the fresh descriptor.
  virtual ~TCPSocket();

  // With a descriptor: shuts the connection down in both directions and
  // replaces the descriptor by a fresh unconnected socket.
  void Close();
};

#endif  // QM_PROTOCOL_SOCKET_H_

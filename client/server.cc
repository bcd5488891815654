// Construction, accessors and the transport defaults of the server client.
#include "client/server.h"

#include <cstdlib>
#include <ctime>

namespace QM {

namespace {

// Command port used when none is given.
const unsigned short kDefaultPort = 4011;

}  // namespace

Server::Server() : Server(nullptr, kDefaultPort, nullptr, nullptr, 0, 0) {}

Server::Server(const wchar_t* user, const wchar_t* password,
               unsigned long long clicks, unsigned int cookie)
    : Server(nullptr, 0, user, password, clicks, cookie) {}

Server::Server(const wchar_t* address, unsigned short port,
               const wchar_t* user, const wchar_t* password,
               unsigned long long clicks, unsigned int cookie)
    : clicks_(clicks),
      cameras_(),
      cookie_(0),
      live_port_(0),
      server_id_(0),
      port_(kDefaultPort),
      pkt_() {
  SetAll(address, port, user, password, cookie);
}

Server::~Server() {}

bool Server::OpenCommandChannel() { return false; }

bool Server::OpenDataChannel(unsigned short) { return false; }

void Server::CloseConnection() {}

unsigned int Server::WriteConnection(ByteVector&) { return 0; }

unsigned int Server::ReadConnection(ByteVector&) { return 0; }

unsigned int Server::TransactCommandChannel(ByteVector&, ByteVector&) {
  return 0;
}

bool Server::NewPlaybackFrame(bool, unsigned long long, unsigned int,
                              unsigned int, unsigned int, ByteVector&) {
  return true;
}

bool Server::NewLiveFrame(unsigned int, bool, unsigned int, unsigned int,
                          unsigned int, unsigned short, ByteVector&) {
  return true;
}

void Server::SetAll(const wchar_t* address, unsigned short port,
                    const wchar_t* user, const wchar_t* password,
                    unsigned int cookie) {
  server_id_ = 0;
  name_.clear();
  // Reseeded on every call: objects made within the same second draw the
  // same cookie.
  std::srand(static_cast<unsigned int>(std::time(nullptr)));
  cookie_ = cookie != 0 ? cookie : static_cast<unsigned int>(std::rand());
  SetAddress(address);
  port_ = port != 0 ? port : kDefaultPort;
  SetUser(user);
  SetPassword(password);
}

void Server::SetAddress(const wchar_t* text) {
  address_.clear();
  if (text != nullptr) address_ = text;
}

void Server::SetUser(const wchar_t* text) {
  user_.clear();
  if (text != nullptr) user_ = text;
}

void Server::SetPassword(const wchar_t* text) {
  password_.clear();
  if (text != nullptr) password_ = text;
}

const wchar_t* Server::GetAddress() const { return address_.c_str(); }

const wchar_t* Server::GetUser() const { return user_.c_str(); }

const wchar_t* Server::GetPassword() const { return password_.c_str(); }

const wchar_t* Server::GetName() const { return name_.c_str(); }

std::wstring Server::GetAddressString() const { return address_; }

unsigned short Server::GetPort() const { return port_; }

void Server::SetPort(unsigned short port) { port_ = port; }

unsigned int Server::GetServerID() const { return server_id_; }

void Server::SetID(unsigned int id) { server_id_ = id; }

unsigned int Server::GetConnectionCookie() const { return cookie_; }

void Server::SetCredentials() {
  pkt_.SetUser(user_.c_str());
  pkt_.SetPassword(password_.c_str());
  pkt_.SetCookie(cookie_);
  pkt_.SetClicks(clicks_);
}

ByteVector Server::FrameBytes(const char* frame, unsigned int count) {
  if (frame == nullptr || count == 0) return ByteVector();
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(frame);
  return ByteVector(bytes, bytes + (count - 1));
}

}  // namespace QM

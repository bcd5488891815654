// One run of qmctl against one server: the server client, the exchanges
// with their failures told apart, and the facts every command starts from
// (the server description, the camera directory).
#pragma once

#include <string>

#include "client/reply_document.h"
#include "connection_options.h"
#include "services/camera.h"
#include "stream_server.h"

namespace qmctl {

// Owns the server client for the run. Every method that talks to the server
// returns kExitOk, or prints why it failed (one line on standard error) and
// returns the exit status:
//   kExitUnreachable  no reply at all (no connection, or closed unanswered)
//   kExitLoginRefused the server's login failure reply
//   kExitBadReply     a reply that cannot be read as the form expected
//   kExitNotFound     a readable reply without the record asked for
class Session {
 public:
  Session(const ConnectionOptions& options, const Credentials& credentials);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  StreamServer& server() { return server_; }
  // "ADDRESS:PORT", for messages.
  const std::string& where() const { return where_; }

  // The server description (ID, name, version, live port, time zone),
  // stored in the server client. Every command asks for it first.
  int Describe();
  // The server-table row of this server: its local data path.
  int LoadDataPath();
  // The camera directory, into the server client's camera map (the
  // version of the description chooses the command).
  int LoadDirectory();
  // The directory's camera `id` (LoadDirectory first); kExitNotFound when
  // the directory has none.
  int DirectoryCamera(unsigned int id, QM::CameraPtr& camera);

  // Exchanges `request` (what names it in messages, "the preset list").
  // kExitOk with a non-empty reply.
  int Exchange(const QM::ByteVector& request, const std::string& what,
               QM::ByteVector& reply);
  // Exchange, then checks that the reply is an XML document and not the
  // login failure reply.
  int ExchangeXml(const QM::ByteVector& request, const std::string& what,
                  QM::ByteVector& reply);
  // Exchange, then refuses only the login failure reply: for binary replies
  // (file headers, listings) and answers that carry nothing to read (PTZ).
  int ExchangeAnswered(const QM::ByteVector& request, const std::string& what,
                       QM::ByteVector& reply);

 private:
  // kExitLoginRefused (printed) when `document` is the login failure reply.
  int CheckLogin(QM::ReplyDocument& document);

  StreamServer server_;
  std::string where_;
  std::string user_;
};

}  // namespace qmctl

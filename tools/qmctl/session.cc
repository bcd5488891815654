// Exchanges of a qmctl run and the failures they are told apart by.
#include "session.h"

#include "client/reply_document.h"
#include "failure.h"
#include "protocol/text_convert.h"
#include "services/exchange.h"

namespace qmctl {

namespace {

std::wstring Wide(const std::string& text) { return string_to_wstring(text); }

}  // namespace

Session::Session(const ConnectionOptions& options, const Credentials& credentials)
    : server_(Wide(options.address).c_str(), static_cast<unsigned short>(options.port),
              Wide(credentials.user).c_str(), Wide(credentials.password).c_str()),
      where_(options.address + ":" + std::to_string(options.port)),
      user_(credentials.user) {}

int Session::Exchange(const QM::ByteVector& request, const std::string& what,
                      QM::ByteVector& reply) {
  if (request.empty()) {
    return Fail(qmtools::kExitFailure, "cannot build the request for " + what);
  }
  reply = QM::ExchangeRequest(server_, request);
  if (reply.empty()) {
    return Fail(qmtools::kExitUnreachable,
                "no answer from " + where_ + " to the request for " + what +
                    " (unreachable, or closed without answering)");
  }
  return qmtools::kExitOk;
}

int Session::ExchangeXml(const QM::ByteVector& request, const std::string& what,
                         QM::ByteVector& reply) {
  const int status = Exchange(request, what, reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  if (document.Error()) {
    return Fail(qmtools::kExitBadReply,
                "the answer of " + where_ + " to the request for " + what +
                    " is not a readable XML document");
  }
  return CheckLogin(document);
}

int Session::ExchangeAnswered(const QM::ByteVector& request, const std::string& what,
                              QM::ByteVector& reply) {
  const int status = Exchange(request, what, reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  return document.Error() ? qmtools::kExitOk : CheckLogin(document);
}

int Session::CheckLogin(QM::ReplyDocument& document) {
  if (CredentialsPassed(document.Handle())) return qmtools::kExitOk;
  return Fail(qmtools::kExitLoginRefused,
              where_ + " refused the login of user \"" + user_ + "\"");
}

int Session::Describe() {
  QM::ByteVector reply;
  const int status =
      ExchangeXml(server_.ReqPkt_GetServerMetadata(), "the server description", reply);
  if (status != qmtools::kExitOk) return status;
  if (!server_.RspPkt_ParseServerMetadata(reply.data(), QM::ReplyLength(reply))) {
    return Fail(qmtools::kExitBadReply,
                "the answer of " + where_ + " to the request for the server "
                "description holds no ServerInformation");
  }
  return qmtools::kExitOk;
}

int Session::LoadDataPath() {
  QM::ByteVector reply;
  const int status =
      ExchangeXml(server_.ReqPkt_GetServerMetadataEx(), "the server table", reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  if (QM::FirstDataSetRow(document.Document()) == nullptr) {
    return Fail(qmtools::kExitNotFound, "the server table of " + where_ +
                                            " has no row for server ID " +
                                            std::to_string(server_.GetServerID()));
  }
  server_.RspPkt_ParseServerMetadataEx(reply.data(), QM::ReplyLength(reply));
  return qmtools::kExitOk;
}

int Session::LoadDirectory() {
  QM::ByteVector reply;
  const int status =
      ExchangeXml(server_.ReqPkt_GetCamerasMetadata(), "the camera directory", reply);
  if (status != qmtools::kExitOk) return status;
  server_.RspPkt_ParseCamerasMetadata(reply.data(), QM::ReplyLength(reply));
  return qmtools::kExitOk;
}

int Session::DirectoryCamera(unsigned int id, QM::CameraPtr& camera) {
  camera = server_.FindCamera(id);
  if (!camera) {
    return Fail(qmtools::kExitNotFound, "camera " + std::to_string(id) +
                                            " is not in the camera directory of " +
                                            where_);
  }
  return qmtools::kExitOk;
}

}  // namespace qmctl

#include "day_query.h"

#include "failure.h"
#include "protocol/text_convert.h"
#include "client/exchange.h"

namespace qmctl {

namespace {

// Size of the day tracker's bitmap reply.
constexpr size_t kTrackerBytes = 192;

}  // namespace

std::wstring WindowStart(const CivilDay& day) {
  return string_to_wstring(IsoText(day) + "T00:00:00");
}

std::wstring WindowEnd(const CivilDay& day) { return WindowStart(NextDay(day)); }

int QueryDay(Session& session, unsigned camera, const CivilDay& day, DayReplies* out) {
  QM::Server& server = session.server();
  const std::string of = " of camera " + std::to_string(camera) + " on " + IsoText(day);
  DayReplies replies;

  QM::ByteVector reply;
  const std::wstring date = string_to_wstring(TrackerDateText(day));
  int status = session.ExchangeAnswered(server.ReqPkt_GetDateTimeTracker(camera, date.c_str()),
                                        "the day tracker" + of, reply);
  if (status != qmtools::kExitOk) return status;
  if (reply.size() != kTrackerBytes) {
    return Fail(qmtools::kExitBadReply, "the answer of " + session.where() +
                                            " to the request for the day tracker" + of + " has " +
                                            std::to_string(reply.size()) + " bytes instead of 192");
  }
  replies.tracker = QM::Server::RspPkt_ParseGetDateTimeTracker(reply.data(), QM::ReplyLength(reply));

  const std::wstring start = WindowStart(day);
  const std::wstring end = WindowEnd(day);
  status = session.ExchangeXml(server.ReqPkt_GetRecordingInfo(camera, start, end),
                               "the recording files" + of, reply);
  if (status != qmtools::kExitOk) return status;
  replies.files = QM::Server::RspPkt_ParseGetRecordingInfo(reply.data(), QM::ReplyLength(reply));

  status = session.ExchangeXml(server.ReqPkt_GetMotionInfo(camera, start, end),
                               "the motion periods" + of, reply);
  if (status != qmtools::kExitOk) return status;
  replies.motions = QM::Server::RspPkt_ParseGetMotionInfo(reply.data(), QM::ReplyLength(reply));

  *out = replies;
  return qmtools::kExitOk;
}

}  // namespace qmctl

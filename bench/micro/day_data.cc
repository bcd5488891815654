#include "bench/micro/day_data.h"

#include <map>
#include <memory>
#include <tuple>

namespace qmbench {

namespace {

typedef std::tuple<unsigned, unsigned, unsigned> Key;

DayData& Slot(const DaySize& size) {
  static std::map<Key, std::unique_ptr<DayData> > cache;
  const Key key(size.intervals, size.files, size.motions);
  std::unique_ptr<DayData>& slot = cache[key];
  if (!slot) {
    const Day day = MakeDay(size);
    slot.reset(new DayData);
    DayData& d = *slot;
    d.tracker_reply = TrackerReply(day);
    d.files_reply = RecordingInfoReply(day);
    d.motions_reply = MotionInfoReply(day);
    d.tracker = QM::Server::RspPkt_ParseGetDateTimeTracker(
        d.tracker_reply.data(), static_cast<unsigned>(d.tracker_reply.size()));
    QM::Server::ConvRecInfoPerDatFromVpm(kCamera, kQueryDate, d.tracker, d.rows);
    d.file_count = day.files.size();
    d.motion_count = day.motions.size();
  }
  return *slot;
}

}  // namespace

const DayData& GetDay(const DaySize& size) { return Slot(size); }

const DayData& GetParsedDay(const DaySize& size) {
  DayData& d = Slot(size);
  if (!d.files) {
    d.files = QM::Server::RspPkt_ParseGetRecordingInfo(
        d.files_reply.data(), static_cast<unsigned>(d.files_reply.size()));
    d.motions = QM::Server::RspPkt_ParseGetMotionInfo(
        d.motions_reply.data(), static_cast<unsigned>(d.motions_reply.size()));
  }
  return d;
}

}  // namespace qmbench

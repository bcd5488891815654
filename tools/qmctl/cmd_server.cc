// qmctl server: the server's description and its local data path.
#include "command_set.h"
#include "common/exit_status.h"
#include "record_fields.h"

namespace qmctl {

namespace {

int RunServer(CommandContext& context) {
  const int status = context.session.LoadDataPath();
  if (status != qmtools::kExitOk) return status;
  const StreamServer& server = context.session.server();
  Record record;
  record["id"] = server.GetServerID();
  record["name"] = Narrow(server.GetName());
  record["version"] = Narrow(server.GetVersion());
  record["live_port"] = server.GetLivePort();
  record["time_zone_info"] = Narrow(server.GetTimeZoneInfo());
  record["local_data_path"] = Narrow(server.GetLocalDataPath());
  context.out.Sheet({{"server ID", "id"},
                     {"name", "name"},
                     {"version", "version"},
                     {"live port", "live_port"},
                     {"time zone", "time_zone_info"},
                     {"local data path", "local_data_path"}},
                    record);
  return qmtools::kExitOk;
}

}  // namespace

void AddServerCommands(CommandSet& commands) {
  commands.Add("server",
               "the server's description (ID, name, version, live port, time "
               "zone) and its local data path",
               RunServer);
}

}  // namespace qmctl

// qmctl ptz, presets, preset-set and preset-go: steering a PTZ camera and
// its presets.
#include <strings.h>

#include <climits>
#include <memory>

#include "command_set.h"
#include "common/cli.h"
#include "failure.h"
#include "record_fields.h"
#include "services/exchange.h"

namespace qmctl {

namespace {

struct PtzOptions {
  unsigned int camera = 0;
  std::string action;
  unsigned int value = 0;
  bool stop = false;
};

struct PresetOptions {
  unsigned int camera = 0;
  unsigned int preset = 0;
};

// The action named by its number (0 to 13) or its command text, with or
// without the leading "cmd", in any case ("cmdZoomIn", "zoomin", "8").
bool ParsePtzAction(const std::string& text, QM::PTZ_ACTION& action) {
  for (size_t i = 0; i < QM::kPTZActionCount; ++i) {
    const std::string full = Narrow(QM::ptz_commands[i].text);
    if (text == std::to_string(i) || strcasecmp(text.c_str(), full.c_str()) == 0 ||
        strcasecmp(text.c_str(), full.c_str() + 3) == 0) {
      action = QM::ptz_commands[i].action;
      return true;
    }
  }
  return false;
}

CLI::Validator PtzActionName() {
  return CLI::Validator(
      [](std::string& text) {
        QM::PTZ_ACTION action;
        return ParsePtzAction(text, action)
                   ? std::string()
                   : "\"" + text + "\" is no PTZ action (0 to 13, or a name such as ZoomIn)";
      },
      "");
}

std::string ActionList() {
  std::string list;
  for (size_t i = 0; i < QM::kPTZActionCount; ++i) {
    list += (i % 4 == 0 ? "\n  " : "  ") + std::to_string(i) + " " +
            Narrow(QM::ptz_commands[i].text).substr(3);
  }
  return list;
}

// The camera's presets, read from the server; kExitOk with `presets` set.
int ReadPresets(Session& session, unsigned int camera, QM::PresetList& presets) {
  QM::ByteVector reply;
  const int status = session.ExchangeXml(session.server().ReqPkt_GetPTZPresets(camera),
                                         "the presets of camera " + std::to_string(camera),
                                         reply);
  if (status != qmtools::kExitOk) return status;
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  if (document.Document().FirstChildElement("ArrayOfIPCPreset") == nullptr) {
    return Fail(qmtools::kExitBadReply, "the answer of " + session.where() +
                                            " to the request for the presets of camera " +
                                            std::to_string(camera) +
                                            " holds no ArrayOfIPCPreset");
  }
  presets = QM::Server::RspPkt_ParsePresets(reply.data(), QM::ReplyLength(reply));
  return qmtools::kExitOk;
}

// True for the serialized boolean false, the server's refusal of a PTZ
// request; any other answer counts as accepted.
bool AnswersFalse(const QM::ByteVector& reply) {
  QM::ReplyDocument document(reply.data(), QM::ReplyLength(reply));
  const TiXmlElement* answer = document.Document().FirstChildElement("boolean");
  return answer != nullptr && answer->GetText() != nullptr &&
         std::string(answer->GetText()) == "false";
}

Record PresetRecord(unsigned int camera, const QM::Preset& preset) {
  Record record;
  record["camera_id"] = camera;
  record["id"] = preset.ID;
  record["name"] = Narrow(preset.Name);
  return record;
}

const std::vector<Column> kPresetColumns = {{"ID", "id"}, {"NAME", "name"}};

int RunPtz(CommandContext& context, const PtzOptions& options) {
  Session& session = context.session;
  QM::PTZ_ACTION action = QM::PTZ_LEFT_UP;
  ParsePtzAction(options.action, action);  // checked by the argument's validator
  const std::string text =
      Narrow(QM::ptz_commands[action].text) + (options.stop ? "Stop" : "");
  const QM::ByteVector request =
      options.stop ? session.server().ReqPkt_StopPTZAction(options.camera, action)
                   : session.server().ReqPkt_StartPTZAction(options.camera, action,
                                                            options.value);
  QM::ByteVector reply;
  const int status = session.ExchangeAnswered(
      request, text + " for camera " + std::to_string(options.camera), reply);
  if (status != qmtools::kExitOk) return status;
  if (AnswersFalse(reply)) {
    return Fail(qmtools::kExitNotFound, "the server " + session.where() + " refused " +
                                            text + " for camera " +
                                            std::to_string(options.camera) +
                                            " (not a PTZ camera, or unknown)");
  }
  Record record;
  record["camera_id"] = options.camera;
  record["action"] = static_cast<int>(action);
  record["command"] = text;
  record["value"] = options.stop ? Record() : Record(options.value);
  record["stop"] = options.stop;
  context.out.Sheet({{"camera ID", "camera_id"},
                     {"action", "action"},
                     {"command", "command"},
                     {"value", "value"}},
                    record);
  return qmtools::kExitOk;
}

int RunPresets(CommandContext& context, unsigned int camera) {
  QM::PresetList presets;
  const int status = ReadPresets(context.session, camera, presets);
  if (status != qmtools::kExitOk) return status;
  std::vector<Record> records;
  for (const QM::PresetPtr& preset : *presets) {
    if (preset) records.push_back(PresetRecord(camera, *preset));
  }
  context.out.Table(kPresetColumns, records);
  return qmtools::kExitOk;
}

int RunPresetSet(CommandContext& context, const PresetOptions& options) {
  Session& session = context.session;
  session.server().RegistPreset(options.camera, options.preset);  // answers true always
  QM::PresetList presets;
  const int status = ReadPresets(session, options.camera, presets);
  if (status != qmtools::kExitOk) return status;
  const std::string name = "Preset " + std::to_string(options.preset);
  for (const QM::PresetPtr& preset : *presets) {
    if (preset && static_cast<unsigned int>(preset->ID) == options.preset &&
        Narrow(preset->Name) == name) {
      context.out.Table(kPresetColumns, {PresetRecord(options.camera, *preset)});
      return qmtools::kExitOk;
    }
  }
  return Fail(qmtools::kExitNotFound, "preset " + std::to_string(options.preset) +
                                          " named \"" + name +
                                          "\" is not in the preset list of camera " +
                                          std::to_string(options.camera) +
                                          " after setting it");
}

int RunPresetGo(CommandContext& context, const PresetOptions& options) {
  Session& session = context.session;
  if (!session.server().ExecutePreset(options.camera, options.preset)) {
    // The operation answers false alike for a list that did not arrive and
    // a list without the preset: a second list read tells them apart.
    QM::PresetList presets;
    const int status = ReadPresets(session, options.camera, presets);
    if (status != qmtools::kExitOk) return status;
    return Fail(qmtools::kExitNotFound, "camera " + std::to_string(options.camera) +
                                            " has no preset " +
                                            std::to_string(options.preset));
  }
  Record record;
  record["camera_id"] = options.camera;
  record["id"] = options.preset;
  context.out.Table({{"RECALLED ID", "id"}}, {record});
  return qmtools::kExitOk;
}

}  // namespace

void AddPtzCommands(CommandSet& commands) {
  auto ptz = std::make_shared<PtzOptions>();
  CLI::App* sub = commands.Add("ptz", "start or stop a PTZ movement of a camera",
                               [ptz](CommandContext& context) { return RunPtz(context, *ptz); });
  sub->add_option("CAMID", ptz->camera, "camera ID")->required()->type_name("");
  sub->add_option("ACTION", ptz->action, "the movement, by number or name")
      ->required()->type_name("")->check(PtzActionName());
  auto* value = sub->add_option("--value", ptz->value, "value sent with a start (default 0)")
                    ->type_name("N");
  sub->add_flag("--stop", ptz->stop, "stop the movement instead of starting it")
      ->excludes(value);
  sub->footer("Actions:" + ActionList() +
              "\nThe server's answer false (a camera that is unknown or not PTZ) exits\n"
              "with status 7; any other answer but the login failure counts as done.");

  auto list = std::make_shared<unsigned int>(0);
  sub = commands.Add("presets", "the PTZ presets of a camera",
                     [list](CommandContext& context) { return RunPresets(context, *list); });
  sub->add_option("CAMID", *list, "camera ID")->required()->type_name("");

  auto set = std::make_shared<PresetOptions>();
  sub = commands.Add("preset-set", "store the camera's position as preset NUMBER",
                     [set](CommandContext& context) { return RunPresetSet(context, *set); });
  sub->add_option("CAMID", set->camera, "camera ID")->required()->type_name("");
  sub->add_option("NUMBER", set->preset, "preset number")
      ->required()->type_name("")->check(qmtools::QuietRange(0u, unsigned(INT_MAX)));
  sub->footer(
      "The preset is stored under the name \"Preset NUMBER\". The server's answer\n"
      "to the set request says nothing, so qmctl reads the preset list back: the\n"
      "command succeeds when it holds preset NUMBER with that name, and exits\n"
      "with status 7 otherwise.");

  auto go = std::make_shared<PresetOptions>();
  sub = commands.Add("preset-go", "move the camera to a listed preset",
                     [go](CommandContext& context) { return RunPresetGo(context, *go); });
  sub->add_option("CAMID", go->camera, "camera ID")->required()->type_name("");
  sub->add_option("ID", go->preset, "preset ID, as presets lists it")
      ->required()->type_name("");
  sub->footer(
      "The camera's preset list is read first; a preset ID not in it exits with\n"
      "status 7 and nothing is recalled. The recall request's answer is not read.");
}

}  // namespace qmctl

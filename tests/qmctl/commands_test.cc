// qmctl against qmsim on sample_server.xml: every command once in the text
// view and once in JSON Lines, and what the commands that change or stream
// something did on the server's side.
#include <nlohmann/json.hpp>

#include "qmctl_run.h"

namespace {

using nlohmann::json;
using qmctl_test::CtlRun;
using qmctl_test::QmsimServer;

const std::string kFile502 = "D:\\VideoStore\\192.0.2.15-5\\2013-05-07\\5_20130507_060000.vid";

// Every line of a JSON Lines output, parsed (a line that does not parse
// fails the test).
std::vector<json> Lines(const std::string& out) {
  std::vector<json> lines;
  size_t start = 0;
  for (size_t eol; (eol = out.find('\n', start)) != std::string::npos; start = eol + 1) {
    lines.push_back(json::parse(out.substr(start, eol - start), nullptr, false));
    EXPECT_FALSE(lines.back().is_discarded()) << out.substr(start, eol - start);
  }
  EXPECT_EQ(start, out.size()) << "output does not end in a line end";
  return lines;
}

// Alignment, column choice and value rendering of the text view: whole
// outputs where they are fixed, the telling lines where they are long.
TEST(QmctlText, EachCommandPrintsItsAlignedView) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  struct Case {
    std::vector<std::string> args;
    std::string expected;  // whole output, or a part of it when `part`
    bool part;
  } cases[] = {
      {{"server"},
       "server ID:        3\nname:             Harbour NVR\nversion:          6.2.18.2\n"
       "live port:        " + sim.LivePort() + "\n"
       "time zone:        (UTC-04:00) Atlantic Time (Canada)\nlocal data path:  D:\\VideoStore\n",
       false},
      {{"cameras"},
       "ID  NAME         IP ADDRESS  WIDTH  HEIGHT  RATE  FOURCC  PTZ  ACTIVE  DISABLED\n"
       " 5  Gate PTZ     192.0.2.15   1920    1080    25  H264    yes  yes     no\n"
       " 7  Loading Bay  192.0.2.17   1280     720    15  MJPG    no   yes     no\n"
       " 9  Lobby        192.0.2.19      0       0     0  H264    no   no      yes\n",
       false},
      {{"status"},
       "ID  NAME         WIDTH  HEIGHT  RATE  FOURCC  BANDWIDTH  DISABLED  LAST RECEIVED\n"
       " 5  Gate PTZ      1920    1080    25  H264         4096  no        2013-05-07T23:59:58\n"
       " 7  Loading Bay   1280     720    15  MJPG         2048  no        2013-05-07T23:59:59\n"
       " 9  Lobby            0       0     0  H264            0  yes       -\n",
       false},
      {{"camera", "5"}, "\ndescription:   Dome above the gate\nHTTP port:     80\n", true},
      {{"camera", "9"}, "\ndescription:\nHTTP port:     80\n", true},  // no trailing blanks
      {{"files", "7", "--from", "2013-05-07T09:00:00", "--to", "2013-05-07T17:00:00"},
       "ending frame:    3600\nending time:     2013-05-07T17:00:00\n\n"
       "FILE ID  START                END                  FRAMES  TYPE  RATE  KIND  "
       "FIRST FRAME          LAST FRAME           NAME\n"
       "    702  2013-05-07T08:00:00  2013-05-07T15:59:59   28800     0   1.0     0  "
       "2013-05-07T08:00:00  2013-05-07T15:59:59  D:\\VideoStore\\192.0.2.17-7\\2013-05-07\\"
       "7_20130507_080000.vid\n",
       true},
      {{"frames", "5", kFile502},
       "file:               " + kFile502 + "\ncamera ID:          5\nframes:             2160\n"
       "rate:               0.1\nfirst frame:        2013-05-07T06:00:00\n"
       "last frame:         2013-05-07T11:59:59\nframe table bytes:  8644\n",
       false},
      {{"dirs", "5"}, "FOLDER\n2013-05-07\n", false},
      {{"ptz", "5", "zoomin", "--value", "3"},
       "camera ID:  5\naction:     8\ncommand:    cmdZoomIn\nvalue:      3\n", false},
      {{"presets", "5"}, "ID  NAME\n 1  Gate\n 2  Parking\n", false},
      {{"preset-set", "5", "12"}, "ID  NAME\n12  Preset 12\n", false},
      {{"preset-go", "5", "2"}, "RECALLED ID\n          2\n", false},
      {{"live", "7", "--frames", "3"},
       "frames asked:  3\nframes:        3\nbytes:         23\nkey frames:    2\n", true},
      {{"playback", "5", "502", "--stop-value", "502", "--stop-frame", "10"},
       "frames:              11\nbytes:               5632\nkey frames:          1\n"
       "first frame:         2013-05-07T06:00:00\nlast frame:          2013-05-07T06:01:40.041\n"
       "last frame number:   10\nstop frame reached:  yes\n",
       true},
  };
  for (const Case& c : cases) {
    const CtlRun run = sim.Ctl(c.args);
    EXPECT_EQ(run.status, 0) << c.args[0] << ": " << run.err;
    EXPECT_EQ(run.err, "") << c.args[0];
    if (c.part) {
      EXPECT_NE(run.out.find(c.expected), std::string::npos) << c.args[0] << ":\n" << run.out;
    } else {
      EXPECT_EQ(run.out, c.expected) << c.args[0];
    }
  }
  // The set and the recall reached the server with the generated name.
  EXPECT_NE(sim.Log().find("SetPreset"), std::string::npos);
  EXPECT_NE(sim.Log().find("RecallPreset"), std::string::npos);
}

// Keys, value types and the time pairs of the JSON records.
TEST(QmctlJson, EachCommandWritesOneObjectPerRecord) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  auto run = [&](std::vector<std::string> args) {
    args.push_back("--json");
    const CtlRun r = sim.Ctl(args);
    EXPECT_EQ(r.status, 0) << args[0] << ": " << r.err;
    return Lines(r.out);
  };
  std::vector<json> l = run({"server"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]["id"], 3);
  EXPECT_EQ(l[0]["live_port"], std::stoi(sim.LivePort()));
  EXPECT_EQ(l[0]["local_data_path"], "D:\\VideoStore");

  l = run({"cameras"});
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0]["id"], 5);
  EXPECT_EQ(l[0]["is_ptz"], true);
  EXPECT_EQ(l[0]["rtp_port"], 6970);
  for (const json& camera : l) EXPECT_FALSE(camera.contains("password")) << camera;

  l = run({"status"});
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0]["last_recieved_time"], "2013-05-07T23:59:58");
  EXPECT_EQ(l[0]["last_recieved_time_ticks"], 635035679980000000ULL);
  EXPECT_TRUE(l[2]["last_recieved_time"].is_null());
  EXPECT_TRUE(l[2]["last_recieved_time_ticks"].is_null());

  l = run({"camera", "7"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]["four_cc"], "MJPG");
  EXPECT_EQ(l[0]["user_name"], "viewer");

  l = run({"files", "5", "--from", "2013-05-07T00:00:00", "--to", "2013-05-07T23:59:59"});
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l[0]["record"], "span");
  EXPECT_EQ(l[0]["starting_time_ticks"], 635034816000000000ULL);
  EXPECT_EQ(l[0]["ending_frame"], 2159);
  for (size_t i = 1; i < l.size(); ++i) {
    EXPECT_EQ(l[i]["record"], "file");
    EXPECT_EQ(l[i]["file_id"], 500 + i);
    EXPECT_EQ(l[i]["format_kind"], i - 1) << "one file of each header layout";
    EXPECT_EQ(l[i]["first_frame_time_ticks"], l[i]["start_time_ticks"]);
  }
  EXPECT_EQ(l[2]["extension_word"], 1);
  EXPECT_EQ(l[2]["value_e1"], 0x1101);

  l = run({"frames", "5", kFile502});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]["total_frames"], 2160);
  EXPECT_EQ(l[0]["last_frame_time"], "2013-05-07T11:59:59");

  l = run({"dirs", "5"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0], json::parse(R"({"camera_id":5,"name":"2013-05-07"})"));

  l = run({"ptz", "5", "9", "--stop"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0], json::parse(
                      R"({"camera_id":5,"action":9,"command":"cmdZoomOutStop","value":null,"stop":true})"));

  EXPECT_EQ(run({"preset-set", "5", "3"}).size(), 1u);
  l = run({"presets", "5"});
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[2], json::parse(R"({"camera_id":5,"id":3,"name":"Preset 3"})"));
  EXPECT_EQ(run({"preset-go", "5", "3"}).size(), 1u);

  l = run({"live", "5", "--frames", "100"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]["frames_asked"], 100);
  EXPECT_EQ(l[0]["frames"], 25) << "the server closes after its 25 live frames";
  EXPECT_EQ(l[0]["bytes"], 25 * 512);

  l = run({"playback", "7", "701"});
  ASSERT_EQ(l.size(), 1u);
  EXPECT_EQ(l[0]["frames"], 28800);
  EXPECT_EQ(l[0]["last_frame_number"], 28799);
  EXPECT_EQ(l[0]["first_frame_time_ticks"], 635034816000000000ULL);
  EXPECT_EQ(l[0]["stop_frame_reached"], false);
}

// --out keeps exactly the payloads, in order, and nothing of the headers.
TEST(QmctlStreams, OutFileHoldsThePayloadsOnly) {
  QmsimServer sim;
  ASSERT_GT(sim.port(), 0);
  const std::string live = sim.dir().File("live.bin");
  const std::string play = sim.dir().File("play.bin");
  EXPECT_EQ(sim.Ctl({"live", "7", "--frames", "2", "--out", live}).status, 0);
  EXPECT_EQ(qmtest::ReadWholeFile(live), std::string("\0\0\0\x01\x67\x42\0\x1f", 8) + "P-frame");
  EXPECT_EQ(sim.Ctl({"playback", "5", "502", "--stop-value", "502", "--stop-frame", "1",
                     "--out", play}).status, 0);
  const std::string bytes = qmtest::ReadWholeFile(play);
  ASSERT_EQ(bytes.size(), 2u * 512u);
  // Generated payloads: byte j of frame i is (i + j) mod 256.
  EXPECT_EQ(bytes[0], '\0');
  EXPECT_EQ(bytes[511], '\xff');
  EXPECT_EQ(bytes[512], '\x01');
}

}  // namespace

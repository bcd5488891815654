// The member connection of QMLinux: open, write, read, close and reopen.
#include <string>

#include <gtest/gtest.h>

#include "protocol/qmlinux.h"
#include "test_peer.h"

namespace {

QM::ByteVector Bytes(const std::string& text) {
  return QM::ByteVector(text.begin(), text.end());
}

TEST(Channel, WriteThenReadFillsSizedVectorAcrossChunks) {
  PeerScript script;
  script.read_bytes = 6;
  script.chunks = {"abc", "defg", "hij"};
  script.chunk_pause_ms = 5;
  TestPeer peer(script);
  QMLinux client(L"127.0.0.1", peer.Port(), nullptr, nullptr, 0, 1);

  ASSERT_TRUE(client.OpenCommandChannel());
  QM::ByteVector out = Bytes("stream");
  EXPECT_EQ(client.WriteConnection(out), 6u);
  QM::ByteVector in(10);
  EXPECT_EQ(client.ReadConnection(in), 10u);
  EXPECT_EQ(in, Bytes("abcdefghij"));
  client.CloseConnection();
  EXPECT_EQ(peer.Received(), "stream");
}

TEST(Channel, ShortReadReportsCountAndKeepsVectorSize) {
  PeerScript script;
  script.chunks = {"0123456789"};
  TestPeer peer(script);
  QMLinux client(L"127.0.0.1", 1, nullptr, nullptr, 0, 1);
  ASSERT_TRUE(client.OpenDataChannel(peer.Port()));
  QM::ByteVector in(100, 0xEE);
  EXPECT_EQ(client.ReadConnection(in), 10u);
  EXPECT_EQ(in.size(), 100u);
  EXPECT_EQ(QM::ByteVector(in.begin(), in.begin() + 10), Bytes("0123456789"));
  EXPECT_EQ(in[10], 0xEE);
}

TEST(Channel, CloseLeavesAFreshSocketThatCanConnectAgain) {
  PeerScript first_script;
  first_script.read_until_close = true;
  PeerScript second_script;
  second_script.read_until_close = true;
  TestPeer first(first_script);
  TestPeer second(second_script);
  QMLinux client(L"127.0.0.1", first.Port(), nullptr, nullptr, 0, 1);

  ASSERT_TRUE(client.OpenCommandChannel());
  QM::ByteVector one = Bytes("one");
  EXPECT_EQ(client.WriteConnection(one), 3u);
  client.CloseConnection();
  EXPECT_EQ(first.Received(), "one");

  ASSERT_TRUE(client.OpenDataChannel(second.Port()));
  QM::ByteVector two = Bytes("two");
  EXPECT_EQ(client.WriteConnection(two), 3u);
  client.CloseConnection();
  EXPECT_EQ(second.Received(), "two");
}

TEST(Channel, TransactDoesNotDisturbTheMemberConnection) {
  PeerScript channel_script;
  channel_script.read_until_close = true;
  TestPeer channel_peer(channel_script);
  PeerScript command_script;
  command_script.read_bytes = 3;
  command_script.chunks = {"answer"};
  TestPeer command_peer(command_script);
  QMLinux client(L"127.0.0.1", command_peer.Port(), nullptr, nullptr, 0, 1);

  ASSERT_TRUE(client.OpenDataChannel(channel_peer.Port()));
  QM::ByteVector req = Bytes("req");
  QM::ByteVector reply;
  EXPECT_EQ(client.TransactCommandChannel(req, reply), 6u);
  QM::ByteVector data = Bytes("still open");
  EXPECT_EQ(client.WriteConnection(data), 10u);
  client.CloseConnection();
  EXPECT_EQ(channel_peer.Received(), "still open");
}

TEST(Channel, FailuresReportedByResults) {
  RefusingPort refusing;
  QMLinux client(L"127.0.0.1", refusing.Port(), nullptr, nullptr, 0, 1);
  EXPECT_FALSE(client.OpenCommandChannel());
  EXPECT_FALSE(client.OpenDataChannel(refusing.Port()));
  QMLinux unresolved(L"nonexistent.invalid", 1, nullptr, nullptr, 0, 1);
  EXPECT_FALSE(unresolved.OpenCommandChannel());
  // Unconnected: the send fails, reported with all bits set; reads get 0.
  QM::ByteVector data = Bytes("x");
  EXPECT_EQ(client.WriteConnection(data), 0xFFFFFFFFu);
  QM::ByteVector in(4);
  EXPECT_EQ(client.ReadConnection(in), 0u);
  client.CloseConnection();  // harmless without a connection
}

}  // namespace

#include "console/network.hpp"
#include "console/network_posix.hpp"
#include "console/testsupport/memory.hpp"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace station {
namespace {

TEST(NetworkAddress, HostAndPortWithDefaults) {
    struct Case {
        std::string text;
        std::optional<NetworkAddress> expected;
    };
    const std::vector<Case> cases = {
        {"", NetworkAddress{"localhost", 4532}},
        {"   ", NetworkAddress{"localhost", 4532}},
        {"localhost:4532", NetworkAddress{"localhost", 4532}},
        {" mast.local:4540 ", NetworkAddress{"mast.local", 4540}},
        {"192.168.1.20", NetworkAddress{"192.168.1.20", 4532}},
        {"192.168.1.20:1", NetworkAddress{"192.168.1.20", 1}},
        {"mast:65535", NetworkAddress{"mast", 65535}},
        {"[::1]:4533", NetworkAddress{"::1", 4533}},
        {"[::1]", NetworkAddress{"::1", 4532}},
        {"fe80::1", NetworkAddress{"fe80::1", 4532}},
        {"LOCALHOST:4540", NetworkAddress{"localhost", 4540}},
        {"[FE80::A]", NetworkAddress{"fe80::a", 4532}},
        {"mast:", std::nullopt},
        {"mast:0", std::nullopt},
        {"mast:65536", std::nullopt},
        {"mast:45x", std::nullopt},
        {"mast:-1", std::nullopt},
        {":4532", std::nullopt},
        {"[::1", std::nullopt},
        {"[::1]4533", std::nullopt},
        {"[]:4533", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseNetworkAddress(c.text, 4532), c.expected) << '"' << c.text << '"';
    }
}

TEST(NetworkAddress, TextNamesTheLinkWithIpv6InBrackets) {
    EXPECT_EQ(addressText({"localhost", 4532}), "localhost:4532");
    EXPECT_EQ(addressText({"::1", 4533}), "[::1]:4533");
}

TEST(DaemonReply, ReportLines) {
    EXPECT_EQ(reportCode("RPRT 0"), 0);
    EXPECT_EQ(reportCode("RPRT -1"), -1);
    EXPECT_EQ(reportCode("RPRT -11\r"), -11);
    EXPECT_EQ(reportCode("RPRT"), std::nullopt);
    EXPECT_EQ(reportCode("RPRT x"), std::nullopt);
    EXPECT_EQ(reportCode("RPRT 0 extra"), std::nullopt);
    EXPECT_EQ(reportCode("145900000"), std::nullopt);
    EXPECT_EQ(reportCode(""), std::nullopt);
}

struct DaemonCommandTest : ::testing::Test {
    MemoryNetwork network;
    DaemonRefusals refusals;
    std::string reply = "RPRT 0\n";

    void SetUp() override {
        network.daemon("localhost:4533").answer = [this](const std::string&) { return reply; };
    }
    std::unique_ptr<SerialPort> link = nullptr;
    SerialPort* connected() {
        link = network.connect({"localhost", 4533});
        return link.get();
    }
};

TEST_F(DaemonCommandTest, SentAsALineAndAnsweredInTheSamePass) {
    SerialPort* l = connected();
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 180.00 45.00"), std::nullopt);
    EXPECT_EQ(network.daemon("localhost:4533").sentText(), "P 180.00 45.00\n");
    EXPECT_EQ(l->waiting(), 0);
}

TEST_F(DaemonCommandTest, RefusalToldOnceAndAgainAfterTheCommandWasTaken) {
    SerialPort* l = connected();
    reply = "RPRT -1\n";
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 0.00 120.00"),
              "Rotator daemon refused P 0.00 120.00: RPRT -1");
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 0.00 121.00"), std::nullopt);
    // Another command word is told on its own.
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "K"), "Rotator daemon refused K: RPRT -1");
    reply = "RPRT 0\n";
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 0.00 80.00"), std::nullopt);
    reply = "RPRT -8\n";
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 0.00 130.00"),
              "Rotator daemon refused P 0.00 130.00: RPRT -8");
    EXPECT_TRUE(l->failure().empty());
}

TEST_F(DaemonCommandTest, NoLinkOrAFailedOneTellsNothing) {
    EXPECT_EQ(sendDaemonCommand(nullptr, refusals, "Rotator daemon", "P 1.00 2.00"), std::nullopt);
    reply.clear();
    SerialPort* l = connected();
    EXPECT_EQ(sendDaemonCommand(l, refusals, "Rotator daemon", "P 1.00 2.00"), std::nullopt);
    EXPECT_EQ(l->failure(), "No reply within 200 ms");
}

TEST(MemoryNetwork, UnknownOrFaultyDaemonRefusesTheConnection) {
    MemoryNetwork network;
    auto absent = network.connect({"localhost", 4532});
    ASSERT_NE(absent, nullptr);
    EXPECT_EQ(absent->failure(), "Connection refused");
    EXPECT_FALSE(absent->write("F 1\n"));
    network.daemon("localhost:4532").fault = "Connection reset by peer";
    EXPECT_EQ(network.connect({"localhost", 4532})->failure(), "Connection refused");
    EXPECT_EQ(network.connections, (std::vector<std::string>{"localhost:4532", "localhost:4532"}));
}

// A listening socket on a free loopback port, accepting one connection at a time.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 4) != 0) {
            throw std::runtime_error("no loopback listener");
        }
        socklen_t size = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~LoopbackServer() {
        closePeer();
        closeListener();
    }
    void accept() { peer_ = ::accept(listener_, nullptr, nullptr); }
    std::string receive() {
        char buffer[256];
        const ssize_t n = ::recv(peer_, buffer, sizeof buffer, 0);
        return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
    }
    void send(const std::string& text) { ::send(peer_, text.data(), text.size(), MSG_NOSIGNAL); }
    void closePeer() {
        if (peer_ >= 0) {
            ::close(peer_);
            peer_ = -1;
        }
    }
    void closeListener() {
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
    }
    std::uint16_t port = 0;

private:
    int listener_ = -1;
    int peer_ = -1;
};

TEST(TcpLink, CommandsAndRepliesOverLoopback) {
    LoopbackServer server;
    PosixNetworkLinks network;
    auto link = network.connect({"127.0.0.1", server.port});
    ASSERT_TRUE(link->failure().empty()) << link->failure();
    server.accept();
    ASSERT_TRUE(link->write("F 435800000\n"));
    EXPECT_EQ(server.receive(), "F 435800000\n");
    // Two answers in one segment, the second with CR LF: each is its own line.
    server.send("RPRT 0\nRPRT -1\r\n");
    EXPECT_EQ(link->readLine(200), "RPRT 0");
    EXPECT_EQ(link->readLine(200), "RPRT -1");
    link->detectHangUp();
    EXPECT_TRUE(link->failure().empty());
}

TEST(TcpLink, AnswerNotInTimeFailsTheLinkWithoutWaitingLonger) {
    LoopbackServer server;
    PosixNetworkLinks network;
    auto link = network.connect({"127.0.0.1", server.port});
    server.accept();
    // A partial line is no answer.
    server.send("RPRT");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(link->readLine(50), std::nullopt);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(link->failure(), "No reply within 50 ms");
    // Bounded: the machine may be slow, but never seconds.
    EXPECT_LT(waited, std::chrono::seconds(2));
    EXPECT_FALSE(link->write("F 1\n"));
}

TEST(TcpLink, DaemonClosingIsSeenByAReadAndByTheHangUpCheck) {
    LoopbackServer server;
    PosixNetworkLinks network;
    auto reading = network.connect({"127.0.0.1", server.port});
    server.accept();
    server.closePeer();
    EXPECT_EQ(reading->readLine(200), std::nullopt);
    EXPECT_EQ(reading->failure(), "Connection closed");

    auto idle = network.connect({"127.0.0.1", server.port});
    server.accept();
    server.closePeer();
    for (int i = 0; i < 100 && idle->failure().empty(); ++i) {
        ::usleep(10'000);
        idle->detectHangUp();
    }
    EXPECT_EQ(idle->failure(), "Connection closed");
}

TEST(TcpLink, NobodyListeningIsAFailedLinkWithTheReason) {
    std::uint16_t port = 0;
    {
        LoopbackServer server;
        port = server.port;
    }
    PosixNetworkLinks network;
    auto link = network.connect({"127.0.0.1", port});
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->failure(), "Connection refused");
    EXPECT_FALSE(link->write("F 1\n"));
    EXPECT_EQ(link->readLine(10), std::nullopt);
}

TEST(TcpLink, UnknownHostIsAFailedLink) {
    PosixNetworkLinks network;
    auto link = network.connect({"host.invalid", 4532});
    EXPECT_FALSE(link->failure().empty());
}

}  // namespace
}  // namespace station

// The two start-up requests against a real HTTP server on loopback: what is
// asked, in which order, and which answers are applied.
#include "diag/trace.h"
#include "display/typing_engine.h"
#include "service/bulletin.h"
#include "service/service_client.h"
#include "service/service_config.h"
#include "service/text_feed.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

using namespace std::chrono_literals;
using Entries = std::vector<std::string>;

namespace {
const std::string feed = "THE CAT SAT.\r\nxhidden\r\n123 hidden\r\nRain again.\r\n";
const Entries feedEntries{"THE CAT SAT.", "Rain again.", ""};
const std::string bulletin = "VERSION5.1\r\nmessageNum:12\r\nmessage:Hello there";

struct RequestCase {
    const char* name;
    std::string feedHow;
    std::string bulletinHow;
    bool applied;  // both as served, or both left empty
    std::string feedBody = feed;
    std::string bulletinBody = bulletin;
};

void PrintTo(const RequestCase& c, std::ostream* out)
{
    *out << c.name;
}

// The feed is a line of "a" one byte over its cap; the bulletin likewise.
std::string oversize(std::size_t limit)
{
    std::string body(limit + 1, 'a');
    body[0] = '\r';
    return body;
}

const RequestCase requestCases[] = {
    {"Plain", "", "", true},
    {"Chunked", "chunked", "chunked", true},
    {"UnsizedUntilClose", "unsized", "unsized", true},
    {"NotFound", "status 404", "status 404", false},
    {"ServerError", "status 500", "status 500", false},
    {"NoContent", "status 204", "status 204", false, "", ""},
    {"BrokenOffMidBody", "cut", "cut", false},
    {"RedirectNotFollowed", "redirect", "redirect", false},
    {"Oversize", "unsized", "unsized", false, oversize(feedBodyLimit), oversize(bulletinBodyLimit)},
    {"OversizeWithLength", "", "", false, oversize(feedBodyLimit), oversize(bulletinBodyLimit)},
    {"EmptyFeed", "", "", false, "", ""},
    {"FeedOfHiddenAndEmptyLines", "", "", false, "xa\r\n\r\n123\r\n", ""},
};

class Requests : public testing::TestWithParam<RequestCase> {
protected:
    static void SetUpTestSuite()
    {
        server = new ServiceFixture(TAPWRITE_TEST_PORT);
        ASSERT_TRUE(server->ready()) << "the loopback service did not start";
    }
    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(server, nullptr);
        server->clearRequests();
        typingState.sentences.clear();
        serviceBulletin = {};
        traceStream.close();
        traceStream.open(TAPWRITE_TEST_TRACE_LOG, std::ios::out | std::ios::trunc | std::ios::binary);
    }
    static std::vector<std::string> traceLines()
    {
        traceStream.flush();
        std::ifstream in(TAPWRITE_TEST_TRACE_LOG, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static ServiceFixture* server;
};
ServiceFixture* Requests::server = nullptr;
}

TEST_P(Requests, AskForFeedThenBulletinAndApplyOnlyACompleteSuccess)
{
    const RequestCase& c = GetParam();
    server->serve("sstext", c.feedBody, c.feedHow);
    server->serve("sys", c.bulletinBody, c.bulletinHow);

    startService();

    EXPECT_EQ(server->requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
    if (c.applied) {
        EXPECT_EQ(typingState.sentences, feedEntries);
        EXPECT_EQ(serviceBulletin.version, "5.1\r");
        EXPECT_EQ(serviceBulletin.messageNum, "12\r");
        EXPECT_EQ(serviceBulletin.message, "Hello there");
    } else {
        EXPECT_EQ(typingState.sentences, Entries{});
        EXPECT_EQ(serviceBulletin.version, "");
        EXPECT_EQ(serviceBulletin.messageNum, "");
        EXPECT_EQ(serviceBulletin.message, "");
    }

    std::vector<std::string> lines = traceLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "getSSText: url = ");
    EXPECT_EQ(lines[1], baseUrl + "sstext");
    EXPECT_TRUE(std::all_of(lines.begin() + 2, lines.end(), [](const std::string& l) { return l == "getssText_cb"; }));
    const std::size_t pieces = lines.size() - 2;
    if (c.feedHow == "chunked") {
        EXPECT_GE(pieces, 3u) << "a body sent in three pieces with pauses arrives in several";
    } else if (c.applied) {
        EXPECT_GE(pieces, 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, Requests, testing::ValuesIn(requestCases),
    [](const testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST_F(Requests, AStalledServiceIsGivenUpAndTheStartGoesOn)
{
    server->serve("sstext", feed, "stall");
    server->serve("sys", bulletin, "stall");
    auto start = std::chrono::steady_clock::now();
    startService();
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Each request may take up to its 5 s whole-transfer limit; the server would hold them for a minute.
    EXPECT_LT(seconds, 30.0);
    EXPECT_GE(seconds, 2 * transferTimeoutMs / 1000.0 - 0.5);
    EXPECT_EQ(server->requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
    EXPECT_EQ(typingState.sentences, Entries{});
    EXPECT_EQ(serviceBulletin.version, "");
}

TEST(RequestsWithoutAServer, FailAtOnceAndApplyNothing)
{
    typingState.sentences.clear();
    serviceBulletin = {};
    startService();
    EXPECT_EQ(typingState.sentences, Entries{});
    EXPECT_EQ(serviceBulletin.version, "");
}

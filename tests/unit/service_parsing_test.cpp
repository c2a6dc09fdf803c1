// The feed and bulletin bodies, the walker's line ends, the request's words
// for a failure and the version compare, as tables.
#include "service/bulletin.h"
#include "service/service_client.h"
#include "service/text_feed.h"
#include "service/version_notice.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <string>
#include <vector>

using namespace std::string_literals;
using Entries = std::vector<std::string>;

namespace {
using Ends = std::vector<FeedLineEnd>;
constexpr FeedLineEnd crLf = FeedLineEnd::CrLf, crAndByte = FeedLineEnd::CrAndByte, crAtEnd = FeedLineEnd::CrAtEnd,
                      bodyEnd = FeedLineEnd::BodyEnd, nul = FeedLineEnd::Nul;

struct FeedCase {
    const char* name;
    std::string body;
    Entries entries;
    Ends ends; // how each line the walker reports ends, hidden ones too
};

const FeedCase feedCases[] = {
    {"HiddenAndEmptyLines", "The cat sat.\r\nxspare line\r\n123 test\r\n\r\nRain again.\r\n",
        {"The cat sat.", "", "Rain again.", ""}, {crLf, crLf, crLf, crLf, crLf, bodyEnd}},
    {"TwoLinesEnded", "A\r\nB\r\n", {"A", "B", ""}, {crLf, crLf, bodyEnd}},
    {"RemainderWithoutEnd", "A\r\nB", {"A", "B"}, {crLf, bodyEnd}},
    {"ByteAfterCrDroppedWhateverItIs", "A\rB\r\nC", {"A", "", "C"}, {crAndByte, crLf, bodyEnd}},
    {"CrCrDropsTheSecondCr", "A\r\rB\r\n", {"A", "B", ""}, {crAndByte, crLf, bodyEnd}},
    {"OnlyLineEnds", "\r\n\r\n", {"", "", ""}, {crLf, crLf, bodyEnd}},
    {"LoneLfIsAnOrdinaryByte", "A\nB\nC", {"A\nB\nC"}, {bodyEnd}},
    {"CrAtTheVeryEnd", "A\r\nB\r", {"A", "B", ""}, {crLf, crAtEnd, bodyEnd}},
    {"LoneCr", "\r", {"", ""}, {crAtEnd, bodyEnd}},
    {"CrBeforeANul", "A\r\0B"s, {"A", ""}, {crAtEnd, nul}},
    {"Empty", "", {""}, {bodyEnd}},
    {"OnlyTheStartOfALineMarksItHidden", "a123\r\nmax\r\n1234\r\nxylophone\r\nX-ray\r\n12\r\nx",
        {"a123", "max", "X-ray", "12", "x"}, {crLf, crLf, crLf, crLf, crLf, crLf, bodyEnd}},
    {"RemainderIsNeverHidden", "x\r\n123", {"123"}, {crLf, bodyEnd}},
    {"NulEndsTheBody", "A\r\nB\0C\r\nD"s, {"A", "B"}, {crLf, nul}},
    {"NulFirst", "\0A\r\n"s, {""}, {nul}},
    {"Latin1BytesKept", "caf\xe9 \xa0!\r\n\t tab ", {"caf\xe9 \xa0!", "\t tab "}, {crLf, bodyEnd}},
};

void PrintTo(const FeedCase& c, std::ostream* out)
{
    *out << c.name;
}

class Feed : public testing::TestWithParam<FeedCase> {};

// Hands the body to the feed handler in pieces cut at the given positions.
std::string gatherFeed(const std::string& body, const std::vector<std::size_t>& cuts)
{
    feedResponse.bytes.clear();
    feedResponse.tooLarge = false;
    std::size_t from = 0;
    std::vector<std::size_t> ends = cuts;
    ends.push_back(body.size());
    for (std::size_t to : ends) {
        std::string piece = body.substr(from, to - from);
        EXPECT_EQ(getssText_cb(piece.data(), 1, piece.size(), nullptr), piece.size());
        from = to;
    }
    return feedResponse.bytes;
}
}

TEST_P(Feed, GivesTheEntriesHoweverTheBodyIsSplit)
{
    const FeedCase& c = GetParam();
    EXPECT_EQ(parseTextFeed(c.body.data(), c.body.size()), c.entries);
    for (std::size_t cut = 0; cut <= c.body.size(); ++cut) {
        std::string gathered = gatherFeed(c.body, {cut});
        EXPECT_EQ(parseTextFeed(gathered.data(), gathered.size()), c.entries) << "split at " << cut;
    }
    std::string bytewise;
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < c.body.size(); ++i)
        everyByte.push_back(i);
    bytewise = gatherFeed(c.body, everyByte);
    EXPECT_EQ(parseTextFeed(bytewise.data(), bytewise.size()), c.entries) << "one byte per piece";
}

TEST_P(Feed, WalkerSaysHowEachLineEndsAndTilesTheBody)
{
    const FeedCase& c = GetParam();
    Ends ends;
    std::size_t next = 0;
    forEachFeedLine(c.body.data(), c.body.size(), [&](const FeedLine& line) {
        ends.push_back(line.end);
        EXPECT_EQ(line.offset, next) << "line " << ends.size();
        next = line.next;
    });
    EXPECT_EQ(ends, c.ends);
    EXPECT_EQ(next, c.body.size());
}

INSTANTIATE_TEST_SUITE_P(Bodies, Feed, testing::ValuesIn(feedCases),
    [](const testing::TestParamInfo<FeedCase>& info) { return std::string(info.param.name); });

TEST(Feed, NothingToTypeUnlessSomeEntryHoldsAByte)
{
    EXPECT_FALSE(feedHasText(parseTextFeed("", 0)));
    const std::string hiddenOnly = "xa\r\n123\r\n\r\n";
    EXPECT_FALSE(feedHasText(parseTextFeed(hiddenOnly.data(), hiddenOnly.size())));
    const std::string one = "\r\n \r\n";
    EXPECT_TRUE(feedHasText(parseTextFeed(one.data(), one.size())));
}

TEST(Feed, HandlerRefusesABodyOverItsCap)
{
    std::string piece(feedBodyLimit / 4, 'a');
    gatherFeed("", {});
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(getssText_cb(piece.data(), 1, piece.size(), nullptr), piece.size());
    EXPECT_FALSE(feedResponse.tooLarge);
    char one = 'b';
    EXPECT_EQ(getssText_cb(&one, 1, 1, nullptr), 0u);
    EXPECT_TRUE(feedResponse.tooLarge);
    EXPECT_EQ(feedResponse.bytes.size(), feedBodyLimit);

    bulletinResponse.bytes.assign(bulletinBodyLimit, 'c');
    bulletinResponse.tooLarge = false;
    EXPECT_EQ(getBulletin_cb(&one, 1, 1, nullptr), 0u);
    EXPECT_TRUE(bulletinResponse.tooLarge);
}

namespace {
struct BulletinCase {
    const char* name;
    std::string body;
    ServiceBulletin fields;
};

const ServiceBulletin before{"old-version", "old-number", "old-message"};

const BulletinCase bulletinCases[] = {
    {"Example", "ABCDEFG5.1\nmessageNum:12\nmessage:Hello there", {"5.1", "12", "Hello there"}},
    {"CrLfLeavesTheCr", "ABCDEFG5.0\r\nmessageNum:7\r\nmessage:Hi\r\n", {"5.0\r", "7\r", "Hi\r\n"}},
    {"AnySeparatorByte", "version5.0XmessageNum:3Ymessage:", {"5.0", "3", ""}},
    {"EmptyVersionAndNumber", "ABCDEFG\nmessageNum:\nmessage:text", {"", "", "text"}},
    {"NoMessageKey", "ABCDEFG6\nmessageNum:99 rest", {"6", "99 rest", "6\nmessageNum:99 rest"}},
    {"NoNumberKey", "ABCDEFG6.2 and more\nmessage:m", {"6.2 and more\nmessage:m", " and more", "m"}},
    {"NoKeys", "ABCDEFGHIJKLM", {"HIJKLM", "KLM", "HIJKLM"}},
    {"NumberKeyInsideTheLabel", "messageNum:5\nmessage:x", {"Num:5\nmessage:x", "5", "x"}},
    {"NulEndsTheBody", "ABCDEFG5.1\nmessageNum:1\nmess\0age:z"s, {"5.1", "1\nmess", "5.1\nmessageNum:1\nmess"}},
    {"SevenBytes", "ABCDEFG", {"", "old-number", ""}},
    {"NineBytes", "ABCDEFG5.", {"5.", "old-number", "5."}},
    {"TenBytes", "ABCDEFG5.1", {"5.1", "", "5.1"}},
    {"SixBytes", "ABCDEF", before},
    {"Empty", "", before},
    {"NulInTheLabel", "ABC\0EFG5.1\nmessageNum:1\nmessage:z"s, before},
};

void PrintTo(const BulletinCase& c, std::ostream* out)
{
    *out << c.name;
}

class Bulletin : public testing::TestWithParam<BulletinCase> {};
}

TEST_P(Bulletin, CutsTheFields)
{
    const BulletinCase& c = GetParam();
    // Gathered in two pieces at every split, then cut once, whole.
    for (std::size_t cut = 0; cut <= c.body.size(); ++cut) {
        bulletinResponse.bytes.clear();
        std::string first = c.body.substr(0, cut);
        std::string second = c.body.substr(cut);
        getBulletin_cb(first.data(), 1, first.size(), nullptr);
        getBulletin_cb(second.data(), 1, second.size(), nullptr);
        ServiceBulletin b = before;
        parseBulletin(bulletinResponse.bytes.data(), bulletinResponse.bytes.size(), b);
        EXPECT_EQ(b.version, c.fields.version) << "split at " << cut;
        EXPECT_EQ(b.messageNum, c.fields.messageNum) << "split at " << cut;
        EXPECT_EQ(b.message, c.fields.message) << "split at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(Bodies, Bulletin, testing::ValuesIn(bulletinCases),
    [](const testing::TestParamInfo<BulletinCase>& info) { return std::string(info.param.name); });

TEST(RequestProblem, NamesWhatHappened)
{
    const struct {
        const char* name;
        CURLcode code;
        long status;
        std::string body;
        std::string words;
    } rows[] = {
        // No connection, a reset before any answer, a cut body, the time limit,
        // a redirect and a status are the feed tool's URL rows, through a real service.
        {"closed before any answer", CURLE_GOT_NOTHING, 0, "", "the connection was closed or reset before any answer"},
        {"reset after the headers", CURLE_RECV_ERROR, 200, "", "the answer was cut off after 0 bytes of its body"},
        {"certificate", CURLE_PEER_FAILED_VERIFICATION, 0, "", "the service's certificate was refused: "},
        {"complete", CURLE_OK, 200, "x", ""},
    };
    for (const auto& row : rows) {
        RequestResult result;
        result.started = true;
        result.transferCode = row.code;
        result.status = row.status;
        result.body = row.body;
        result.error = "the library's words";
        const std::string problem = requestProblem(result);
        EXPECT_EQ(problem.rfind(row.words, 0), 0u) << row.name << ": " << problem;
        EXPECT_EQ(problem.empty(), row.words.empty()) << row.name;
    }
}

TEST(VersionNotice, ComparesVersionsAsNumbers)
{
    const struct {
        std::string remote;
        bool newer;
    } table[] = {
        {"5.1", true}, {"5.0.1", true}, {"6", true}, {"10.0", true}, {" 5.1\r\n", true},
        {"5.00.1", true}, {"99999999999999999999999.0", true}, {"5.0", false}, {"5.0\r\n", false},
        {"5", false}, {"5.0.0", false}, {"05.0", false}, {"4.9", false}, {"4.10", false}, {"", false},
        {"abc", false}, {"5.1a", false}, {"5..1", false}, {".5", false}, {"6.", false}, {"6 .1", false},
        {"-6", false}, {"+6", false}, {"6\t", false}, {"\r\n", false}, {"5.1\0"s, false},
    };
    for (const auto& row : table)
        EXPECT_EQ(isNewerVersion(localVersion, row.remote), row.newer) << "remote \"" << row.remote << "\"";
    EXPECT_EQ(localVersion, "5.0");
    EXPECT_TRUE(isNewerVersion("10.0", "10.0.0.1"));
    EXPECT_FALSE(isNewerVersion("10.0", "9.99"));
    EXPECT_FALSE(isNewerVersion("garbage", "6.0"));
}

TEST(SampleService, FeedAndBulletinReadAsIntended)
{
    auto read = [](const char* name) {
        std::ifstream in(std::string(TAPWRITE_SOURCE_DIR "/feed/") + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string feed = read("sstext");
    const Entries entries = parseTextFeed(feed.data(), feed.size());
    ASSERT_GE(entries.size(), 5u);
    // CR LF line ends throughout: no entry keeps a line feed.
    for (const std::string& entry : entries)
        EXPECT_EQ(entry.find('\n'), std::string::npos) << entry;
    EXPECT_EQ(entries.front(), "Good evening. The keys are warm and the night is long.");
    EXPECT_EQ(entries[4], "A sentence is a small machine for moving a thought.");

    const std::string sys = read("sys");
    ServiceBulletin b;
    parseBulletin(sys.data(), sys.size(), b);
    EXPECT_EQ(b.version, "5.0\r");
    EXPECT_EQ(b.messageNum, "1\r");
    EXPECT_FALSE(isNewerVersion(localVersion, b.version));
}

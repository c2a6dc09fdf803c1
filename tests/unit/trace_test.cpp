#include "diag/trace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {
class TraceTest : public ::testing::Test {
protected:
    std::string path = ::testing::TempDir() + "trace_test.log";

    void SetUp() override
    {
        std::remove(path.c_str());
        traceStream.close();
        traceStream.clear();
    }
    void TearDown() override
    {
        traceEnabled = false;
        traceStream.close();
        traceStream.clear();
        std::remove(path.c_str());
    }
    std::string written()
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(TraceTest, OffByDefaultAndWritesNothing)
{
    EXPECT_FALSE(traceEnabled);
    EXPECT_FALSE(traceStream.is_open());
    traceStream.open(path, std::ios::binary);
    trace("start init");
    trace(4);
    traceStream.flush();
    EXPECT_EQ(written(), "");
}

TEST_F(TraceTest, EachCallIsOneLineFlushedAtOnce)
{
    traceStream.open(path, std::ios::binary);
    traceEnabled = true;
    trace("************");
    trace("\n");
    trace("scrMode");
    trace(0);
    trace("");
    trace(-12);
    trace(std::string("a\0b", 3));
    // Flushed per line: readable before the stream is closed.
    using namespace std::string_literals;
    EXPECT_EQ(written(), "************\n\n\nscrMode\n0\n\n-12\na\0b\n"s);
}

TEST_F(TraceTest, NoDestinationFailsQuietly)
{
    traceEnabled = true;
    trace("getSSText: url = ");
    EXPECT_TRUE(traceStream.bad());
    trace("still fine");
    closeTrace();
    EXPECT_TRUE(traceStream.fail());
}

TEST_F(TraceTest, CloseFlushesAndClosesTheFile)
{
    traceStream.open(path, std::ios::binary);
    traceEnabled = true;
    trace(" cant find font");
    closeTrace();
    EXPECT_FALSE(traceStream.is_open());
    EXPECT_FALSE(traceStream.fail());
    EXPECT_EQ(written(), " cant find font\n");
    // After closing, further lines go nowhere and leave the file alone.
    trace("late");
    EXPECT_EQ(written(), " cant find font\n");
}
}

// The requests over HTTPS to a loopback server whose certificate comes from a
// test CA: refused unless the build names that CA's file.
#include "display/typing_engine.h"
#include "service/bulletin.h"
#include "service/service_client.h"
#include "service/service_config.h"
#include "../support/service_fixture.h"

#include <gtest/gtest.h>

TEST(Https, CertificateDecidesWhetherTheFeedIsTaken)
{
    ServiceFixture server(TAPWRITE_TEST_PORT, "server");
    ASSERT_TRUE(server.ready()) << "the loopback TLS service did not start";
    server.serve("sstext", "OVER TLS.\r\n");
    server.serve("sys", "VERSION6.0\nmessageNum:1\nmessage:m");
    typingState.sentences.clear();
    serviceBulletin = {};

    startService();

    ASSERT_EQ(baseUrl.rfind("https://", 0), 0u);
    if (serviceCaFile.empty()) {
        // Untrusted: the TLS handshake fails, so no request line is ever read.
        EXPECT_EQ(server.requests(), std::vector<std::string>{});
        EXPECT_EQ(typingState.sentences, std::vector<std::string>{});
        EXPECT_EQ(serviceBulletin.version, "");
    } else {
        EXPECT_EQ(server.requests(), (std::vector<std::string>{"GET /sstext", "GET /sys"}));
        EXPECT_EQ(typingState.sentences, (std::vector<std::string>{"OVER TLS.", ""}));
        EXPECT_EQ(serviceBulletin.version, "6.0");
    }
}

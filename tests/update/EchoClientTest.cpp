// The echo client against the loopback interface.

#include "EchoClient.h"
#include "InternetError.h"

#include <gtest/gtest.h>

TEST(EchoClientTest, TheLoopbackAnswersWhereTheSystemAllowsPingSockets) {
    const TEchoResult result = SendEcho("127.0.0.1", 5000, {});
    if (result == TEchoResult::NotAllowed)
        GTEST_SKIP() << "net.ipv4.ping_group_range allows this user no ping socket";
    EXPECT_EQ(result, TEchoResult::Answered);
}

TEST(EchoClientTest, AHostWithoutAnAddressIsAnError) {
    EXPECT_THROW(SendEcho("no-such-host.invalid", 100, {}), EInternetError);
}

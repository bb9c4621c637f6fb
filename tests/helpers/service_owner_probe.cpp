// A test process like any integration executable: the same environment starts its own
// reference service. Once the service is ready the one test prints "ready=WORKDIR=end" on stderr
// and waits to be killed, so that a test can see whether the service outlives its owner.
#include "service_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

TEST(ServiceOwner, WaitsToBeKilled) {
    std::fprintf(stderr, "ready=%s=end\n",
                 vanta::test::ServiceEnvironment::Instance().WorkDir().c_str());
    std::fflush(stderr);
    // Bounded, so that a probe nobody kills still ends.
    std::this_thread::sleep_for(std::chrono::seconds(60));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new vanta::test::ServiceEnvironment);
    return RUN_ALL_TESTS();
}

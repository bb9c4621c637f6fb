// main() of every integration test executable: GoogleTest and GoogleMock, plus the reference
// service for the executable's lifetime.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "service_fixture.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleMock(&argc, argv);
    // GoogleTest owns and deletes the environment.
    ::testing::AddGlobalTestEnvironment(new vanta::test::ServiceEnvironment);
    return RUN_ALL_TESTS();
}

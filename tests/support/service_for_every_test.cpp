// Every integration test executable gets the reference service for its lifetime; main() is
// GoogleMock's. GoogleTest owns and deletes the environment.
#include "service_fixture.h"

static auto* const g_service =
    ::testing::AddGlobalTestEnvironment(new vanta::test::ServiceEnvironment);

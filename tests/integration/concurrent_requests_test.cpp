// Requests from several threads at once, also under ThreadSanitizer: every call has its own
// session, connection and request; a change of the service address or the trace while calls
// run leaves each call whole against one of the addresses; and two clients, each on its own
// host, each see their own service only, whatever the exports' address.
#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "control_client.h"
#include "service_fixture.h"
#include "vanta/client.hpp"
#include <vantaapi.h>

namespace vanta::test {
namespace {

constexpr const char* kVersion = "/cgiscripts/get_version.exe";

thread_local std::string t_resolved;

unsigned long WINAPI NoteHost(unsigned long status, void* info, unsigned long length) {
    if (status == 10 && info != nullptr && length > 0) {
        t_resolved.assign(static_cast<const char*>(info), length - 1);
    }
    return 0;
}

void WINAPI IgnoreLine(const char*) {}

TEST(ConcurrentRequests, CallsRunWholeAgainstOneAddressWhileItChanges) {
    control::Reset(true);
    ServiceEnvironment second("127.0.0.2");
    second.SetUp();
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    const Client first({.host = "127.0.0.1"});
    const Client other({.host = "127.0.0.2"});
    ASSERT_TRUE(other.register_user({"bob", "pw", "7", {}}).has_value());
    CString expected;
    ASSERT_EQ(QDX_SendHTTPRequest("", kVersion, expected, nullptr), 1U);
    // Both names reach the first service: any mix of old and new would still connect, so what
    // is checked is that each call saw one whole address and got the whole reply, that bob is
    // known on the second host only, and that nothing races (ThreadSanitizer).
    const char* const hosts[] = {"127.0.0.1", "localhost"};
    std::atomic<bool> stop{false};
    std::atomic<size_t> posts{0};
    std::vector<std::thread> callers;
    for (int i = 0; i < 6; ++i) {
        callers.emplace_back([&, i] {
            while (!stop.load()) {
                // The clients from one caller only: few enough requests that a loaded machine
                // answers within the request channel's 2 s limit.
                if (i == 0) {
                    const Result<Login> here = first.validate_user("bob", "pw", "7");
                    if (here || here.error().category != ErrorCategory::unknown_user ||
                        !other.validate_user("bob", "pw", "7")) {
                        ADD_FAILURE() << "a client reached the other host";
                    }
                    continue;
                }
                CString reply;
                int found = 0;
                const unsigned int result =
                    i == 1 ? QDX_CheckFile("nobody", "f.bin", found, &NoteHost)
                           : QDX_SendHTTPRequest("", kVersion, reply, &NoteHost);
                posts += i == 1 ? 0 : 1;
                if (result != 1 || (i != 1 && !(reply == expected)) ||
                    (t_resolved != hosts[0] && t_resolved != hosts[1])) {
                    ADD_FAILURE() << result << " via " << t_resolved << ": "
                                  << QDX_GetLastFailureReason();
                }
            }
        });
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (int flip = 0; std::chrono::steady_clock::now() < end; ++flip) {
        EXPECT_EQ(QDX_SetServiceAddress(hosts[flip % 2], 80, 21), 1U);
        QDX_SetTraceCallback(flip % 3 == 0 ? &IgnoreLine : nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop.store(true);
    for (std::thread& caller : callers) {
        caller.join();
    }
    QDX_SetTraceCallback(nullptr);
    EXPECT_GT(posts.load(), 10U);
    EXPECT_EQ(control::RequestsTo(kVersion).size(), 1 + posts.load());
    QDX_SetServiceAddress("localhost", 0, 0);
    second.TearDown();
}

} // namespace
} // namespace vanta::test

// Changing the service address and the trace while other threads call the exports: every
// call runs whole against one of the addresses, and the next call after a change uses it.
#include "control_client.h"
#include "service_fixture.h"

#include <vantaapi.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vanta::test {
namespace {

thread_local std::string t_resolved;

unsigned long WINAPI NoteHost(unsigned long status, void* info, unsigned long length) {
    if (status == 10 && info != nullptr && length > 0) {
        t_resolved.assign(static_cast<const char*>(info), length - 1);
    }
    return 0;
}

void WINAPI IgnoreLine(const char*) {}

TEST(AddressChangeConcurrency, CallsRunWholeAgainstOneAddressWhileItChanges) {
    control::Reset();
    // Both names reach the service: any mix of old and new would still connect, so what is
    // checked is that each call saw one whole address and that nothing races (ThreadSanitizer).
    const char* const hosts[] = {"127.0.0.1", "localhost"};
    std::atomic<bool> stop{false};
    std::atomic<int> calls{0};
    std::mutex failuresMutex;
    std::vector<std::string> failures;
    std::vector<std::thread> callers;
    for (int i = 0; i < 3; ++i) {
        callers.emplace_back([&, i] {
            while (!stop.load()) {
                CString reply;
                int found = 0;
                const unsigned int result =
                    i == 0
                        ? QDX_CheckFile("nobody", "f.bin", found, &NoteHost)
                        : QDX_SendHTTPRequest("", "/cgiscripts/get_version.exe", reply, &NoteHost);
                calls.fetch_add(1);
                if (result != 1 || (t_resolved != hosts[0] && t_resolved != hosts[1])) {
                    const std::lock_guard lock(failuresMutex);
                    failures.push_back(std::to_string(result) + " via " + t_resolved + ": " +
                                       QDX_GetLastFailureReason());
                }
            }
        });
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (int flip = 0; std::chrono::steady_clock::now() < end; ++flip) {
        ASSERT_EQ(QDX_SetServiceAddress(hosts[flip % 2], 80, 21), 1u);
        QDX_SetTraceCallback(flip % 3 == 0 ? &IgnoreLine : nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    stop.store(true);
    for (std::thread& caller : callers) {
        caller.join();
    }
    QDX_SetTraceCallback(nullptr);
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first: " << failures.front();
    EXPECT_GT(calls.load(), 10);

    ASSERT_EQ(QDX_SetServiceAddress("127.0.0.1", 0, 0), 1u);
    CString reply;
    EXPECT_EQ(QDX_SendHTTPRequest("", "/cgiscripts/get_version.exe", reply, &NoteHost), 1u);
    EXPECT_EQ(t_resolved, "127.0.0.1");
    QDX_SetServiceAddress("localhost", 0, 0);
}

} // namespace
} // namespace vanta::test

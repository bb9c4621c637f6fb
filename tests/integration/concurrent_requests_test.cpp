// The request channel called from several threads at once: every call has its own session,
// connection and request, and nothing is shared between them. Runs under ThreadSanitizer too.
#include "control_client.h"
#include "status_recorder.h"

#include <vantaapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace vanta::test;

constexpr const char* kVersion = "/cgiscripts/get_version.exe";

class ConcurrentRequests : public ::testing::Test {
protected:
    void SetUp() override { control::Reset(); }
};

TEST_F(ConcurrentRequests, CallsFromEightThreadsAtOnceAreIndependent) {
    CString expected;
    ASSERT_EQ(QDX_SendHTTPRequest("", kVersion, expected, nullptr), 1u);
    constexpr int kThreads = 8;
    constexpr int kCalls = 12;
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &failures, &expected] {
            for (int i = 0; i < kCalls; ++i) {
                CString body;
                body.Format("thread=%d&call=%d", t, i);
                CString reply;
                if (QDX_SendHTTPRequest(body, kVersion, reply, &RecordStatus) != 1u ||
                    !(reply == expected)) {
                    ++failures[static_cast<size_t>(t)];
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_THAT(failures, ::testing::Each(0));
    EXPECT_EQ(control::RequestsTo(kVersion).size(), 1u + kThreads * kCalls);
}

} // namespace

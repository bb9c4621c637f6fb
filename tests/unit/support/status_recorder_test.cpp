#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "status_recorder.h"

namespace vanta::test {
namespace {

TEST(StatusRecorder, IsAStatusCallbackAndKeepsOrderThreadAndInfo) {
    ClearStatuses();
    StatusCallback callback = RecordStatus;
    char host[] = "localhost";
    unsigned long connected = 0;
    callback(10, host, 9);
    callback(21, &connected, sizeof connected);
    callback(70, nullptr, 0);

    EXPECT_EQ(RecordedStatuses(), (std::vector<unsigned long>{10, 21, 70}));
    const auto events = RecordedStatusEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].info, "localhost");
    EXPECT_EQ(events[1].info.size(), sizeof connected);
    EXPECT_FALSE(events[2].hadInfo);
    for (const auto& e : events)
        EXPECT_EQ(e.thread, std::this_thread::get_id());

    ClearStatuses();
    EXPECT_TRUE(RecordedStatuses().empty());
}

TEST(StatusRecorder, RecordsEveryCallFromConcurrentThreads) {
    ClearStatuses();
    constexpr int kThreads = 4;
    constexpr unsigned long kCalls = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([] {
            for (unsigned long i = 0; i < kCalls; ++i)
                RecordStatus(i, nullptr, 0);
        });
    }
    std::set<std::thread::id> ids;
    for (auto& t : threads) {
        ids.insert(t.get_id());
        t.join();
    }
    const auto events = RecordedStatusEvents();
    ASSERT_EQ(events.size(), kThreads * kCalls);
    std::set<std::thread::id> seen;
    for (const auto& e : events)
        seen.insert(e.thread);
    EXPECT_EQ(seen, ids);
    ClearStatuses();
}

} // namespace
} // namespace vanta::test

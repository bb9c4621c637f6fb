// Reading a long reply field by field must cost time in proportion to its length. The
// baseline is the least any reader must do: one pass that finds every "&" and copies each
// value out. Records are asset-list records of 13 fields, back to back.
#include "transport/reply_readers.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <string>

using namespace vanta::internal;

namespace {

CString MakeReply(int records) {
    std::string text;
    text.reserve(static_cast<size_t>(records) * 200);
    for (int r = 0; r < records; ++r) {
        const std::string n = std::to_string(r);
        text += "num=" + n + "&name=Asset " + n + "&desc=Pictures of the day&type=2&size=" + n +
                "0412&files=4&date=2026-12-06&views=" + n + "&status=1&id=A" + n + "&pw=p" + n +
                "&product=12&url=http://host/a/" + n;
        if (r + 1 < records) {
            text += '&';
        }
    }
    return CString(std::move(text));
}

void BM_Baseline_SplitAtAmpersands(benchmark::State& state) {
    const CString reply = MakeReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const char* at = reply.GetString();
        const char* end = at + reply.GetLength();
        CString value;
        while (at < end) {
            const char* equals = static_cast<const char*>(std::memchr(at, '=', end - at));
            const char* amp = static_cast<const char*>(std::memchr(at, '&', end - at));
            if (equals == nullptr) {
                break;
            }
            const char* stop = amp ? amp : end;
            value = CString(equals + 1, static_cast<int>(stop - equals - 1));
            benchmark::DoNotOptimize(value);
            at = stop + 1;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * reply.GetLength());
}

void BM_ReplyCursor(benchmark::State& state) {
    const CString reply = MakeReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ReplyCursor cursor(reply);
        CString value;
        while (!cursor.AtEnd()) {
            cursor.Next(value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * reply.GetLength());
}

// The documented interface, which hands back a copy of the rest for every field: fine for
// the short replies it serves, quadratic for lists. Shown on small lists only.
void BM_NextReplyFieldCopyingTheRest(benchmark::State& state) {
    const CString reply = MakeReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        CString rest = reply;
        CString value;
        while (!rest.IsEmpty()) {
            rest = NextReplyField(rest, value);
            benchmark::DoNotOptimize(value);
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_Baseline_SplitAtAmpersands)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_ReplyCursor)->Arg(1000)->Arg(10000)->Arg(100000);
BENCHMARK(BM_NextReplyFieldCopyingTheRest)->Arg(1000)->Arg(4000);

} // namespace

BENCHMARK_MAIN();

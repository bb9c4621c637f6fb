// What the commands that start a background job share: following the job to its end on a
// progress bar that names its phase, cancelling it on Ctrl-C.
#pragma once

#include "vanta/client.hpp"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

enum class JobKind {
    kUpload, // measures, registers the asset, sends, notifies the recipients
    kEmail   // measures, sends, has the service send the mails (the session came before)
};

enum class JobEnd { kDone, kFailed, kCancelled };

// What following a job needs of its handle.
struct JobControls {
    std::function<vanta::Progress()> progress;
    std::function<void()> cancel;
    std::function<bool(std::chrono::milliseconds)> wait;
    std::function<JobEnd()> end; // reads the outcome of the ended job
};

// Shows the job's phase and progress until its worker ends, with the file being sent (one of
// `files`, the job's local files in the order it sends them), then its outcome. The first
// Ctrl-C asks the job to stop (the library bounds how long that takes); a second Ctrl-C ends
// the tool at once with 130.
void FollowJob(JobKind kind, const std::vector<std::string>& files, const JobControls& job);

// Follows `job` as above, then gives its outcome.
template <class Outcome>
vanta::Result<Outcome> FollowToEnd(JobKind kind, vanta::Job<Outcome>& job,
                                   const std::vector<std::string>& files) {
    std::optional<vanta::Result<Outcome>> outcome;
    FollowJob(kind, files,
              {[&] { return job.progress(); }, [&] { job.cancel(); },
               [&](std::chrono::milliseconds timeout) { return job.wait(timeout); },
               [&] {
                   outcome.emplace(job.outcome());
                   if (*outcome) {
                       return JobEnd::kDone;
                   }
                   return outcome->error().category == vanta::ErrorCategory::cancelled
                              ? JobEnd::kCancelled
                              : JobEnd::kFailed;
               }});
    return std::move(*outcome);
}

// What the commands that start a background job share: following the job to its end on a
// progress bar that names its phase, cancelling it on Ctrl-C.
#pragma once

#include "vanta/client.hpp"

#include <chrono>
#include <functional>

enum class JobKind {
    kUpload, // measures, registers the asset, sends, notifies the recipients
    kEmail   // measures, sends, has the service send the mails (the session came before)
};

// What following a job needs of its handle.
struct JobControls {
    std::function<vanta::Progress()> progress;
    std::function<void()> cancel;
    std::function<bool(std::chrono::milliseconds)> wait;
};

// Shows the job's phase and progress until its worker ends. The first Ctrl-C asks the job to
// stop (the library bounds how long that takes); a second Ctrl-C ends the tool at once with
// 130.
void FollowJob(JobKind kind, const JobControls& job);

// Follows `job` as above, then gives its outcome.
template <class Outcome>
vanta::Result<Outcome> FollowToEnd(JobKind kind, vanta::Job<Outcome>& job) {
    FollowJob(kind, {[&] { return job.progress(); }, [&] { job.cancel(); },
                     [&](std::chrono::milliseconds timeout) { return job.wait(timeout); }});
    return job.outcome();
}

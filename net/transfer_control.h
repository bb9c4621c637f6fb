// What a transfer reports to, and asks of, whoever runs it on the caller's behalf: a job's
// worker hands its own to the sends it makes; a send that the application calls directly runs
// with none, so it neither counts into nor can be stopped by any job.
#pragma once

#include <cstdint>

class TransferControl {
public:
    virtual ~TransferControl() = default;

    // A send starts: its byte count begins again at 0.
    virtual void BeginSend() = 0;
    // `bytes` more have been handed to the connection.
    virtual void AddBytesSent(std::uint64_t bytes) = 0;
    // True once the owner wants the transfer to stop. The sender asks between blocks; the
    // Internet layer also asks while it waits on the network, at least every kCancelCheckMs,
    // and aborts the transfer in flight when the step it is in does not end soon after.
    virtual bool CancelRequested() const = 0;
    // The send broke off and goes on over a new connection, from where the server's copy of
    // the file ends; the bytes already counted are not counted again. For the owner's progress
    // display ("resuming at N %"); nothing to do for an owner that shows none.
    virtual void Resuming() {}

    static constexpr int kCancelCheckMs = 250;
};

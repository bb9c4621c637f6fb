#include "update/downloads_fetch.h"

#include "net/internet_exception.h"
#include "net/trace.h"
#include "os/atomic_file_writer.h"
#include "os/failure_reason.h"
#include "os/local_files.h"
#include "transport/endpoints.h"
#include "vanta/retry.hpp"

#include <cerrno>
#include <cstring>
#include <optional>

DownloadsFetch::DownloadsFetch(const CallContext& context)
    : m_call(context), m_trace(context.trace) {}

CFtpConnection* DownloadsFetch::Connection() {
    if (m_connection == nullptr) {
        CFtpConnection& connection = m_call.Connect();
        if (!connection.SetCurrentDirectory(endpoint::kDownloadsDir)) {
            return nullptr;
        }
        m_connection = &connection;
    }
    return m_connection;
}

Fetched DownloadsFetch::Fetch(const std::string& remoteName, const std::string& localPath,
                              bool failIfExists) {
    if (failIfExists && LocalNameTaken(localPath.c_str())) {
        SetFailureReason(FailureKind::LocalFile, "local file " + localPath + " already exists");
        return Fetched::kFailed;
    }
    // The temporary file first: a target that cannot be written costs no RETR.
    AtomicFileWriter temporary(localPath);
    if (!temporary.IsOpen()) {
        SetFailureReason(FailureKind::LocalFile,
                         "cannot create a file beside " + localPath + ": " + std::strerror(errno));
        return Fetched::kFailed;
    }
    if (const Fetched retrieved = Retrieve(remoteName, temporary); retrieved != Fetched::kWhole) {
        return retrieved;
    }
    if (!temporary.Commit(localPath, failIfExists)) {
        SetFailureReason(FailureKind::LocalFile, "cannot put the received file in place as " +
                                                     localPath + ": " + std::strerror(errno));
        return Fetched::kFailed;
    }
    return Fetched::kWhole;
}

Fetched DownloadsFetch::Retrieve(const std::string& remoteName, AtomicFileWriter& temporary) {
    const char* const name = remoteName.c_str();
    bool repeated = false;
    std::optional<std::int64_t> served; // the size the server told first
    while (true) {
        const std::uint64_t before = temporary.Written();
        try {
            CFtpConnection* const connection = Connection();
            if (connection == nullptr) {
                return Fetched::kFailed;
            }
            const std::uint64_t offset = temporary.Written();
            // Asked on every connection: a file replaced on the server between two attempts
            // would otherwise be stitched from the two.
            const std::int64_t size = connection->GetFileSize(name);
            if (served && size != *served) {
                SetFailureReason(FailureKind::Network,
                                 remoteName + " changed on the server while it was fetched (" +
                                     std::to_string(*served) + " bytes, then " +
                                     std::to_string(size) + ")");
                return Fetched::kFailed;
            }
            served = size;
            if (repeated) {
                Trace(m_trace, '*',
                      "resuming " + remoteName + " at offset " + std::to_string(offset));
            }
            // A file that arrived whole before its verdict was lost needs no RETR: the server
            // refuses a REST at its very end.
            const bool whole = repeated && size >= 0 && offset == static_cast<std::uint64_t>(size);
            if (!whole && !connection->RetrieveInto(name, temporary, offset)) {
                // Refused by the server, or not written here.
                return LastFailureKind() == FailureKind::Refused ? Fetched::kNotServed
                                                                 : Fetched::kFailed;
            }
            if (size >= 0 && temporary.Written() != static_cast<std::uint64_t>(size)) {
                SetFailureReason(FailureKind::Network,
                                 "received " + std::to_string(temporary.Written()) + " bytes of " +
                                     remoteName + ", but the server holds " + std::to_string(size));
                return Fetched::kFailed;
            }
            return Fetched::kWhole;
        } catch (const CInternetException& failure) {
            m_connection = nullptr;
            if (temporary.Written() > before) {
                m_call.MovedForward();
            }
            if (!m_call.MayRepeat(failure, vanta::repeat_rule("download_update"),
                                  "RETR " + remoteName)) {
                return Fetched::kFailed;
            }
            repeated = true;
        }
    }
}

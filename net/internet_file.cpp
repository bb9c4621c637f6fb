#include "net/internet_file.h"

#include "net/curl_transfer.h"
#include "net/internet_constants.h"
#include "net/internet_exception.h"

#include <utility>

CInternetFile::CInternetFile(FtpLease lease) {
    CurlTransfer& transfer = lease.Transfer();
    CURL* easy = transfer.Easy();
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CInternetFile::OnRead);
    curl_easy_setopt(easy, CURLOPT_READDATA, this);
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(kSendBufferBytes));
    // No size is announced: the caller decides where the file ends, and libcurl would call a
    // shorter file an error.
    transfer.Start();
    m_lease.emplace(std::move(lease));
    // The first call for data means the server answered STOR and the data connection is up;
    // the transfer then pauses until there is a source to send from.
    if (!transfer.Drive([this] { return m_started; })) {
        ThrowTransferFailure();
    }
}

CInternetFile::~CInternetFile() {
    try {
        Finish();
    } catch (const CInternetException&) {
        // The owner gave up on this file; the failure has nobody left to tell.
    }
}

void CInternetFile::Send(const Source& source) {
    if (!m_lease || m_ending) {
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED);
    }
    CurlTransfer& transfer = m_lease->Transfer();
    m_source = &source;
    m_sourceEnded = false;
    transfer.Continue();
    const bool running = transfer.Drive([this] { return m_sourceEnded; });
    m_source = nullptr;
    if (m_sourceFailure) {
        std::rethrow_exception(std::exchange(m_sourceFailure, nullptr));
    }
    if (!running) {
        ThrowTransferFailure();
    }
}

void CInternetFile::Close() {
    Finish();
}

void CInternetFile::Finish() {
    if (!m_lease) {
        return;
    }
    CurlTransfer& transfer = m_lease->Transfer();
    m_ending = true;
    transfer.Continue();
    const CURLcode code = transfer.Finish();
    m_lease.reset();
    if (code != CURLE_OK) {
        transfer.ThrowFailure(code);
    }
}

void CInternetFile::ThrowTransferFailure() {
    CurlTransfer& transfer = m_lease->Transfer();
    const CURLcode code = transfer.Finish();
    m_lease.reset();
    transfer.ThrowFailure(code == CURLE_OK ? CURLE_SEND_ERROR : code);
}

size_t CInternetFile::OnRead(char* buffer, size_t size, size_t count, void* self) {
    auto* file = static_cast<CInternetFile*>(self);
    file->m_started = true;
    size_t given = 0;
    if (file->m_source != nullptr && !file->m_sourceEnded) {
        // An exception must not cross libcurl: Send throws it once the transfer has paused.
        try {
            given = (*file->m_source)(buffer, size * count);
        } catch (...) {
            file->m_sourceFailure = std::current_exception();
        }
    }
    if (given > 0) {
        return given;
    }
    file->m_sourceEnded = true;
    // 0 ends the file; pausing waits for the next source or the close.
    return file->m_ending ? 0 : CURL_READFUNC_PAUSE;
}

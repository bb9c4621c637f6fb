#include "platform/internet_file.h"

#include "platform/curl_transfer.h"
#include "platform/ftp_connection.h"
#include "platform/internet_exception.h"

#include <algorithm>
#include <cstring>

CInternetFile::CInternetFile(Key, CFtpConnection& connection, const std::string& name, bool binary)
    : m_connection(connection), m_buffer(std::make_unique<char[]>(kHandOffBytes)) {
    CurlTransfer& transfer = connection.Prepare(name, binary);
    CURL* easy = transfer.Easy();
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CInternetFile::OnRead);
    curl_easy_setopt(easy, CURLOPT_READDATA, this);
    curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, static_cast<long>(kHandOffBytes));
    // No size is announced: the caller decides where the file ends, and libcurl would call a
    // shorter file an error.
    transfer.Start();
    m_transfer = &transfer;
    connection.SetBusy(true);
    // The first call for data means the server answered STOR and the data connection is up;
    // the transfer then pauses until there is something to send.
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

void CInternetFile::Write(const void* buffer, UINT count) {
    if (m_transfer == nullptr || m_ending) {
        throw CInternetException(ERROR_INTERNET_CONNECTION_ABORTED);
    }
    const auto* bytes = static_cast<const char*>(buffer);
    size_t left = count;
    while (left > 0) {
        const size_t piece = std::min(left, kHandOffBytes - m_queued);
        std::memcpy(m_buffer.get() + m_queued, bytes, piece);
        m_queued += piece;
        bytes += piece;
        left -= piece;
        if (m_queued == kHandOffBytes) {
            Flush();
        }
    }
}

void CInternetFile::Flush() {
    m_transfer->Continue();
    if (!m_transfer->Drive([this] { return m_queued == 0; })) {
        ThrowTransferFailure();
    }
}

void CInternetFile::Close() {
    Finish();
}

void CInternetFile::Finish() {
    if (m_transfer == nullptr) {
        return;
    }
    m_ending = true;
    m_transfer->Continue();
    const CURLcode code = m_transfer->Finish();
    CurlTransfer& transfer = *m_transfer;
    m_transfer = nullptr;
    m_connection.SetBusy(false);
    if (code != CURLE_OK) {
        transfer.ThrowFailure(code);
    }
}

void CInternetFile::ThrowTransferFailure() {
    CurlTransfer& transfer = *m_transfer;
    const CURLcode code = transfer.Finish();
    m_transfer = nullptr;
    m_connection.SetBusy(false);
    transfer.ThrowFailure(code == CURLE_OK ? CURLE_SEND_ERROR : code);
}

size_t CInternetFile::OnRead(char* buffer, size_t size, size_t count, void* self) {
    auto* file = static_cast<CInternetFile*>(self);
    file->m_started = true;
    const size_t available = file->m_queued - file->m_taken;
    if (available == 0) {
        // 0 ends the file; pausing waits for the next Write.
        return file->m_ending ? 0 : CURL_READFUNC_PAUSE;
    }
    const size_t piece = std::min(available, size * count);
    std::memcpy(buffer, file->m_buffer.get() + file->m_taken, piece);
    file->m_taken += piece;
    if (file->m_taken == file->m_queued) {
        file->m_queued = 0;
        file->m_taken = 0;
    }
    return piece;
}

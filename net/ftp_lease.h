// The lease on an FTP connection's transfer: what an operation running outside the
// connection's own calls (a remote file open for writing, a directory search) may use while
// its transfer is open. The connection hands it out (CFtpConnection::Lease) and gets it back
// when the lease ends; while a lease is out, the connection's other operations throw.
#pragma once

#include <utility>

class CurlTransfer;

class FtpLease {
public:
    // Lends `transfer`; `lent` holds true until the lease ends.
    FtpLease(CurlTransfer& transfer, bool& lent) : m_transfer(&transfer), m_lent(&lent) {
        lent = true;
    }
    FtpLease(FtpLease&& other) noexcept
        : m_transfer(other.m_transfer), m_lent(std::exchange(other.m_lent, nullptr)) {}
    FtpLease(const FtpLease&) = delete;
    FtpLease& operator=(const FtpLease&) = delete;
    FtpLease& operator=(FtpLease&&) = delete;
    // Gives the transfer back: the connection serves other operations again. The transfer
    // itself stays the connection's, so a failure may still be read from it afterwards.
    ~FtpLease() {
        if (m_lent != nullptr) {
            *m_lent = false;
        }
    }

    CurlTransfer& Transfer() const { return *m_transfer; }

private:
    CurlTransfer* m_transfer;
    bool* m_lent;
};

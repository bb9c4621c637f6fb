#include "net/ftp_file_find.h"

#include "net/curl_transfer.h"
#include "net/ftp_connection.h"
#include "net/internet_exception.h"

namespace {
// A listing line longer than this is no name the server could hold; it is dropped rather
// than buffered without bound.
constexpr size_t kMaxLineBytes = 64 * 1024;
} // namespace

bool MatchesWildcards(const std::string& pattern, const std::string& name) {
    size_t p = 0;
    size_t n = 0;
    size_t starAt = std::string::npos; // last '*' seen in the pattern
    size_t starMatch = 0;              // where in `name` that '*' is matched up to
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starAt = p++;
            starMatch = n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++starMatch;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

CFtpFileFind::CFtpFileFind(CFtpConnection* connection, DWORD_PTR /*context*/)
    : m_connection(connection) {}

CFtpFileFind::~CFtpFileFind() = default;

BOOL CFtpFileFind::FindFile(LPCTSTR name, DWORD /*flags*/) {
    Close();
    RefuseLineBreaks(name);
    const std::string wanted = name != nullptr && *name != '\0' ? name : "*";
    const size_t slash = wanted.rfind('/');
    // NLST of the directory part; a path ending in '/' makes libcurl list it.
    const std::string directory = slash == std::string::npos ? "" : wanted.substr(0, slash + 1);
    m_pattern = slash == std::string::npos ? wanted : wanted.substr(slash + 1);
    if (m_pattern.empty()) {
        m_pattern = "*";
    }

    const FtpLease lease = m_connection->Lease(directory);
    CurlTransfer& transfer = lease.Transfer();
    curl_easy_setopt(transfer.Easy(), CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(transfer.Easy(), CURLOPT_WRITEFUNCTION, &CFtpFileFind::OnListing);
    curl_easy_setopt(transfer.Easy(), CURLOPT_WRITEDATA, this);
    const CURLcode code = transfer.Perform();
    if (!transfer.Accepted(code)) {
        m_found.clear();
        return FALSE;
    }
    if (!m_partialLine.empty()) {
        TakeLine(std::move(m_partialLine));
        m_partialLine.clear();
    }
    return m_found.empty() ? FALSE : TRUE;
}

void CFtpFileFind::Close() {
    m_found.clear();
    m_partialLine.clear();
}

size_t CFtpFileFind::OnListing(char* data, size_t size, size_t count, void* self) {
    auto* find = static_cast<CFtpFileFind*>(self);
    const size_t bytes = size * count;
    for (size_t i = 0; i < bytes; ++i) {
        if (data[i] == '\n') {
            find->TakeLine(std::move(find->m_partialLine));
            find->m_partialLine.clear();
        } else if (find->m_partialLine.size() < kMaxLineBytes) {
            find->m_partialLine += data[i];
        }
    }
    return bytes;
}

void CFtpFileFind::TakeLine(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    // Some servers list "dir/name" for NLST of a directory: the name is the last component.
    const size_t slash = line.rfind('/');
    if (slash != std::string::npos) {
        line.erase(0, slash + 1);
    }
    if (!line.empty() && MatchesWildcards(m_pattern, line)) {
        m_found.push_back(std::move(line));
    }
}

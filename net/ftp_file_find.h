// CFtpFileFind: a search of a directory on an FTP connection.
//
// FindFile asks the server for the directory's names (NLST) and keeps those that match; the
// search is then over as far as the connection is concerned, so the connection can serve
// other operations (a removal of the found file, say) while the search stays open. Only the
// matching names are kept, however large the directory.
#pragma once

#include "framework/win_types.h"
#include "net/internet_constants.h"

#include <string>
#include <vector>

class CFtpConnection;

class CFtpFileFind {
public:
    explicit CFtpFileFind(CFtpConnection* connection, DWORD_PTR context = 1);
    CFtpFileFind(const CFtpFileFind&) = delete;
    CFtpFileFind& operator=(const CFtpFileFind&) = delete;
    virtual ~CFtpFileFind();

    // Searches for `name`, relative to the current directory unless absolute; its last
    // component may hold the wildcards '*' and '?' (null: every entry). Files and directories
    // match alike. The answer always comes from the server (INTERNET_FLAG_RELOAD or not:
    // nothing is cached). TRUE when an entry matched; FALSE when none did or the server
    // refused the listing (a missing directory). Throws CInternetException when the connection
    // fails.
    virtual BOOL FindFile(LPCTSTR name = nullptr, DWORD flags = INTERNET_FLAG_RELOAD);

    // Ends the search.
    virtual void Close();

private:
    static size_t OnListing(char* data, size_t size, size_t count, void* self);
    void TakeLine(std::string line);

    CFtpConnection* m_connection;
    std::string m_pattern;
    std::string m_partialLine;
    std::vector<std::string> m_found;
};

// Whether `name` matches `pattern`, where '*' stands for any run of bytes and '?' for one
// byte; every other byte stands for itself (no brackets, no escapes).
bool MatchesWildcards(const std::string& pattern, const std::string& name);

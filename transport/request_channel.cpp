// The request channel: one HTTP POST of a form body to one CGI program, its whole reply read
// into the caller's string. Nothing is kept between calls: each call opens its own session,
// connection and request and closes them before it returns.
#include "platform/http_connection.h"
#include "platform/internet_exception.h"
#include "transport/export_guard.h"
#include "transport/globals.h"
#include "transport/service_session.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

namespace {
constexpr DWORD kTimeoutMs = 2000;
// Never write the reply to a cache, and read a redirect as the reply instead of following it.
constexpr DWORD kRequestFlags =
    INTERNET_FLAG_EXISTING_CONNECT | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
constexpr UINT kLineBufferSize = 1024;

void SetConnectionTimeouts(CHttpConnection& connection) {
    connection.SetOption(INTERNET_OPTION_CONNECT_TIMEOUT, kTimeoutMs, 0);
    connection.SetOption(INTERNET_OPTION_DATA_SEND_TIMEOUT, kTimeoutMs, 0);
    connection.SetOption(INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, kTimeoutMs, 0);
}
} // namespace

unsigned int WINAPI QDX_SendHTTPRequest(const CString& body, const CString& scriptPath,
                                        CString& reply, StatusCallback callback) {
    return GuardExport("posting a request", vanta::result::kChannelFailure, [&]() -> unsigned int {
        CString request = body;
        request += '\n';
        unsigned int result = 1;

        ServiceSession session(callback);
        std::unique_ptr<CHttpConnection> connection;
        std::unique_ptr<CHttpFile> file;
        try {
            if (callback != nullptr) {
                session.EnableStatusCallback(TRUE);
            }
            connection = session.GetHttpConnection(ServerAddress, INTERNET_DEFAULT_HTTP_PORT,
                                                   LoginName, LoginPassword);
            SetConnectionTimeouts(*connection);
            file = connection->OpenRequest(HTTP_VERB_POST, scriptPath, nullptr, 1, nullptr, nullptr,
                                           kRequestFlags);
            file->SendRequest(FormHeaders, const_cast<char*>(request.GetString()),
                              static_cast<DWORD>(request.GetLength()));
            // Whatever body arrives is the reply, an error page included: the status is not read.
            char buffer[kLineBufferSize];
            UINT length = 0;
            while (file->ReadString(buffer, kLineBufferSize, length)) {
                reply.Append(buffer, static_cast<int>(length));
            }
        } catch (const CInternetException&) {
            // What was appended before the failure stays in `reply`.
            result = 32;
        }

        if (file) {
            file->Close();
        }
        if (connection) {
            connection->Close();
        }
        file.reset();
        connection.reset();
        session.Close();
        return result;
    });
}

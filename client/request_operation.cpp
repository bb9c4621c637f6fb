// The raw request: any CGI program of the service, its reply as it came.
#include "client/client_impl.h"
#include "transport/post_request.h"
#include "vanta/result_codes.h"
#include "vanta/transport.h"

namespace vanta {

Result<std::string> Client::post_request(std::string_view program,
                                         std::string_view body) const noexcept {
    constexpr std::string_view doing = "posting a request";
    return RunOperation(*m_impl, doing, [&](const auto& scope) -> Result<std::string> {
        if (const std::string problem = ProgramPathProblem(ToCString(program)); !problem.empty()) {
            return Error{ErrorCategory::invalid_argument, result::kChannelFailure,
                         std::string(doing) + ": " + problem};
        }
        CString reply;
        const unsigned int code =
            QDX_SendHTTPRequest(ToCString(body), ToCString(program), reply, scope.Callback());
        if (code == result::kSuccess) {
            return ToString(reply);
        }
        return FailedWith(ErrorCategory::network, code, doing, "the request failed");
    });
}

} // namespace vanta

// The raw request: any CGI program of the service, its reply as it came.
#include "client/client_impl.h"
#include "transport/raw_request.h"

namespace vanta {

Result<std::string> Client::post_request(std::string_view program,
                                         std::string_view body) const noexcept {
    return RunCore(*m_impl, core::kPostingRequest,
                   [&](const CallContext& ctx) -> Result<std::string> {
                       CString reply;
                       if (auto posted = core::PostRaw(ctx, ToCString(body), ToCString(program),
                                                       reply, repeat_rule("post_request"));
                           !posted) {
                           return posted.error();
                       }
                       return ToString(reply);
                   });
}

} // namespace vanta

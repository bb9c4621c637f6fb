#include "transport/raw_request.h"

#include "transport/export_guard.h"
#include "transport/operation_failure.h"
#include "transport/post_request.h"
#include "vanta/result_codes.h"

#include <new>
#include <string>

using namespace vanta::result;

namespace core {

vanta::Result<void> PostRaw(const CallContext& context, const CString& body, const CString& program,
                            CString& reply, vanta::RepeatWhen when) {
    unsigned int code = kChannelFailure;
    // Whatever stops the reading ends this request alone, with its reason on the thread, as
    // the raw export has always given it; a list request that reads through here too.
    try {
        code = PostRequest(context, body, program, reply, kWholeReply, when);
    } catch (const std::bad_alloc&) {
        // The name is a literal, so its view ends in a NUL.
        NoteEscapedFailure(kPostingRequest.data(), "out of memory");
    } catch (...) {
        NoteEscapedFailure(kPostingRequest.data(), "unexpected failure");
    }
    if (code == kSuccess) {
        return {};
    }
    if (const std::string problem = ProgramPathProblem(program); !problem.empty()) {
        return vanta::Error{vanta::ErrorCategory::invalid_argument, code,
                            std::string(kPostingRequest) + ": " + problem};
    }
    return FailedWith(vanta::ErrorCategory::network, code, kPostingRequest, "the request failed");
}

} // namespace core

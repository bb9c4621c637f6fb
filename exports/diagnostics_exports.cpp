// The exports that tell a program why a call failed and let it watch the conversation.
#include "net/trace.h"
#include "os/failure_reason.h"
#include "transport/service_config.h"
#include "vanta/transport.h"

#include <string>
#include <utility>

const char* WINAPI QDX_GetLastFailureReason() {
    std::string text;
    try {
        text = FailureReason();
        const std::string problem = text.empty() ? std::string() : ConfigurationProblem();
        if (!problem.empty()) {
            text += " (" + problem + ")";
        }
    } catch (...) {
        text.clear(); // out of memory: no text rather than a throw into the caller
    }
    return KeepHandedText(HandedText::FailureReason, std::move(text));
}

void WINAPI QDX_SetTraceCallback(TraceCallback callback) {
    SetTraceSink(callback);
}

unsigned int WINAPI QDX_GetLastFailureKind() {
    return static_cast<unsigned int>(LastFailureKind());
}

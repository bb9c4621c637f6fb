#include "net/trace.h"

#include <atomic>
#include <cctype>
#include <string>

namespace {
std::atomic<TraceSink> g_sink{nullptr};

bool StartsWithNoCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size()) {
        return false;
    }
    for (size_t i = 0; i < start.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(start[i]))) {
            return false;
        }
    }
    return true;
}

// The line as it may be shown: the FTP password and HTTP credentials are masked.
std::string Masked(std::string_view line) {
    for (std::string_view secret : {"PASS ", "Authorization: ", "Proxy-Authorization: "}) {
        if (StartsWithNoCase(line, secret)) {
            return std::string(line.substr(0, secret.size())) + "****";
        }
    }
    return std::string(line);
}
} // namespace

void SetTraceSink(TraceSink sink) {
    g_sink.store(sink, std::memory_order_release);
}

TraceSink CurrentTraceSink() {
    if (g_sink.load(std::memory_order_acquire) == nullptr) {
        return nullptr;
    }
    return [](const char* line) {
        if (const TraceSink installed = g_sink.load(std::memory_order_acquire)) {
            installed(line);
        }
    };
}

void Trace(TraceSink sink, char prefix, std::string_view text) {
    if (sink == nullptr) {
        return;
    }
    try {
        while (!text.empty()) {
            const size_t end = text.find('\n');
            std::string_view line = text.substr(0, end);
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            if (line.empty()) {
                continue;
            }
            const std::string shown = std::string(1, prefix) + ' ' + Masked(line);
            sink(shown.c_str());
        }
    } catch (...) {
        // Out of memory, or a sink that throws: the trace is best effort.
    }
}

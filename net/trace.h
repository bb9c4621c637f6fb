// The process-wide trace: a program that wants to watch the conversation with the service
// (vanta --verbose) installs a sink and receives it as text lines: "> " what was sent (the
// request line and headers, the FTP commands), "< " what the server answered (status and
// header lines, FTP replies), "* " what the network layer did (connecting, ...). Bodies and
// file contents are never traced; passwords and credentials are masked.
#pragma once

#include <string_view>

using TraceSink = void (*)(const char* line);

// Installs `sink` (null removes it). Safe while calls run; a call in progress may still
// deliver a few lines to the sink it started with.
void SetTraceSink(TraceSink sink);
bool TraceEnabled();
// The sink installed now (null: none), for an operation that takes it along.
TraceSink CurrentTraceSink();

// Sends each line of `text` (split at LF, CR dropped) with `prefix` to the sink, if any.
void Trace(char prefix, std::string_view text);

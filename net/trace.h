// The trace: a program that wants to watch the conversation with the service (vanta
// --verbose) installs a sink for the process and receives it as text lines: "> " what was
// sent (the request line and headers, the FTP commands), "< " what the server answered
// (status and header lines, FTP replies), "* " what the network layer did (connecting, ...).
// Bodies and file contents are never traced; passwords and credentials are masked. An
// operation takes its trace along (CallContext) and its session traces there.
#pragma once

#include <string_view>

using TraceSink = void (*)(const char* line);

// Installs `sink` for the process (null removes it). Safe while calls run: a call in progress
// may still deliver the line it is writing to the sink it replaced, no more.
void SetTraceSink(TraceSink sink);
// The trace for an operation that starts now: null when no sink is installed (the operation
// traces nothing, and the network layer keeps its debug output off), else a sink that hands
// each line to whatever sink is installed at that line, so that a long job follows a sink
// that is replaced or removed while it runs.
TraceSink CurrentTraceSink();

// Sends each line of `text` (split at LF, CR dropped) with `prefix` to `sink` (null: none).
void Trace(TraceSink sink, char prefix, std::string_view text);

// The trace: a program that wants to watch the conversation with the service (vanta
// --verbose) installs a sink for the process and receives it as text lines: "> " what was
// sent (the request line and headers, the FTP commands), "< " what the server answered
// (status and header lines, FTP replies), "* " what the network layer did (connecting, ...).
// Bodies and file contents are never traced; passwords and credentials are masked. An
// operation takes the sink installed when it starts along with it (CallContext), and its
// session traces there.
#pragma once

#include <string_view>

using TraceSink = void (*)(const char* line);

// Installs `sink` for the process (null removes it). Safe while calls run; a call in progress
// keeps delivering to the sink it started with.
void SetTraceSink(TraceSink sink);
// The sink installed now (null: none), for an operation that takes it along.
TraceSink CurrentTraceSink();

// Sends each line of `text` (split at LF, CR dropped) with `prefix` to `sink` (null: none).
void Trace(TraceSink sink, char prefix, std::string_view text);

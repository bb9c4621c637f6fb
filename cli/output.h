// How a command ends: its result in text or JSON on stdout, and on failure one line
// `vanta: <command>: <reason>` on stderr.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

using Fields = nlohmann::ordered_json;

// Ends a command on `code` from `exportName` (see outcome.h): prints `fields` (text, on
// success only: one "name: value" line each, control characters escaped; JSON, always: one
// object with the result), prints the failure line when it failed, and returns the exit
// status. `reason` replaces the
// reason that the result code gives when the command knows better.
int Finish(const std::string& exportName, unsigned int code, const Fields& fields,
           const std::string& reason = {});

// Prints the failure line for a failure that no export reported (a local file, a missing
// password, ...) and returns `exitStatus`. With --json the object carries the reason too.
int Fail(int exitStatus, const std::string& reason);

// `vanta: <command>: <reason>` on stderr, escaped for the terminal.
void PrintFailureLine(const std::string& reason);

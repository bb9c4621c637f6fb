// How a command ends: its result in text or JSON on stdout, and on failure one line
// `vanta: <command>: <reason>` on stderr.
#pragma once

#include "vanta/client.hpp"
#include "vanta/result_codes.h"

#include <nlohmann/json.hpp>
#include <string>

using Fields = nlohmann::ordered_json;

// Ends a command whose operation stands for the export `exportName` (named in --json for
// scripts): a success when `error` is null, giving `successCode` as the export would. Prints
// `fields` (text, on success only: one "name: value" line each, control characters escaped;
// JSON, always: one object with the result), prints the failure line when it failed, and
// returns the exit status that the error's category gives.
int Finish(const std::string& exportName, const vanta::Error* error, const Fields& fields,
           unsigned int successCode = vanta::result::kSuccess);

template <class T>
int Finish(const std::string& exportName, const vanta::Result<T>& result, const Fields& fields) {
    return Finish(exportName, result ? nullptr : &result.error(), fields);
}

// Prints the failure line for a failure that no operation reported (a local file, a missing
// password, ...) and returns `exitStatus`. With --json the object carries the reason too.
int Fail(int exitStatus, const std::string& reason);

// `vanta: <command>: <reason>` on stderr, escaped for the terminal.
void PrintFailureLine(const std::string& reason);

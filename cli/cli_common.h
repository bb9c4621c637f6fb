// What every command of the vanta tool shares: global flags, the status printer behind
// --verbose, result names, and output in text or JSON.
#pragma once

#include "vantaapi.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <string>

struct CliOptions {
    bool verbose = false; // print every status notification as it happens
    bool json = false;    // print results as one JSON object
};

CliOptions& Options();

// The StatusCallback to hand to exports: prints notifications on stderr with --verbose,
// null otherwise (so the library enables nothing).
StatusCallback CliStatusCallback();

// "SUCCESS (1)", "NOROWS (2048)", ...: a result code by name and number, as `export` reports
// it. Several exports give one number different meanings, so the name depends on the export.
std::string ResultName(const std::string& exportName, unsigned int code);

// Prints `fields` (text: one "name: value" line each; JSON: one object) and returns the exit
// status: 0 when `code` is the export's success code `success`, 1 otherwise.
int Report(const std::string& exportName, unsigned int code, unsigned int success,
           const nlohmann::ordered_json& fields);

// A CObList that owns its entries, as the callers of the library own what they put in a
// list or what the list exports append to one.
class OwnedList {
public:
    OwnedList() = default;
    OwnedList(const OwnedList&) = delete;
    OwnedList& operator=(const OwnedList&) = delete;
    ~OwnedList() {
        while (!list.IsEmpty()) {
            delete list.RemoveHead();
        }
    }
    CObList list;
};

// Each command group adds its subcommands to the application.
void AddRequestCommand(CLI::App& app);
void AddUserCommands(CLI::App& app);
void AddAssetCommands(CLI::App& app);
void AddHomepageCommands(CLI::App& app);
void AddVersionCommand(CLI::App& app);
void AddFtpCommands(CLI::App& app);
void AddUpdateCommands(CLI::App& app);
void AddUploadCommands(CLI::App& app);
void AddEmailCommand(CLI::App& app);

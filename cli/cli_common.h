// What every command of the vanta tool shares: the global flags, the name of the command being
// run, and the status printer behind --verbose.
#pragma once

#include "vantaapi.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

struct CliOptions {
    bool verbose = false; // name each status notification and show what goes over the wire
    bool json = false;    // print results as one JSON object
    bool quiet = false;   // print nothing but failure lines and --json output
};

CliOptions& Options();

// The command being run as the user typed it ("user get"), for failure lines and JSON.
std::string& CurrentCommand();

// What the chosen command does once the whole command line has been read; returns the exit
// status. Each command's parse callback sets it.
std::function<int()>& SelectedAction();

// Makes `command` run `action` when it is the one chosen on the command line.
void OnSelected(CLI::App& command, std::function<int()> action);

// The StatusCallback to hand to exports: with --verbose it names each notification on stderr;
// null otherwise, so the library enables nothing.
StatusCallback CliStatusCallback();

// With --verbose: every request line, FTP command and reply line on stderr, as the library
// traces them (credentials masked by the library), control characters escaped.
void EnableWireTrace();

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

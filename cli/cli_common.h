// What every command of the vanta tool shares: the global flags, the name of the command being
// run, and the client that reaches the service.
#pragma once

#include "vanta/client.hpp"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

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

// The client of this run, made by UseConfig before any command runs.
const vanta::Client& Service();

// A local file's name as the command line gave it, in UTF-8, as the library's path: built from
// char, a path would read it in the ANSI code page on Windows.
std::filesystem::path LocalPath(const std::string& utf8);
std::vector<std::filesystem::path> LocalPaths(const std::vector<std::string>& utf8);
// The path in UTF-8, as the tool prints it.
std::string Utf8Text(const std::filesystem::path& path);
// An option's check that it names an existing file that is not a directory, with CLI11's own
// words. CLI11's check builds the path from char, which misreads UTF-8 on Windows.
CLI::Validator ExistingLocalFile();
// Makes the client from `config`; with --verbose, the status notifications and every request
// line, FTP command and reply line go to stderr (credentials masked by the library, control
// characters escaped).
void UseConfig(vanta::Config config);
// Adds --parallel N to a command that sends files as a job: UseConfig then makes the client
// send them over up to N connections at once (else the configuration's number).
void AddParallelOption(CLI::App& command);

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

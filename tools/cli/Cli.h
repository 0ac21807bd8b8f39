#pragma once

#include <functional>
#include <string>
#include <vector>

// Exit codes of every command.
enum ExitCode : int {
    ExitOk = 0,
    ExitError = 1,      // a file could not be read or written, or is not a dump
    ExitUsage = 2,      // unknown command or option, missing argument
    ExitNoUnit = 3,     // no unit answered (or none with the key asked for)
    ExitNoResponse = 4, // the unit stopped answering while it was read
};

// One command of the tool. `run` gets the arguments after the command name;
// "--help" among them never reaches it.
struct CliCommand {
    std::string name;
    std::string usage;   // e.g. "backup [--unit KEY] FILE.syx"
    std::string summary; // one line for the overview
    std::string help;    // what the command does, its options, its exit codes
    std::function<int(const std::vector<std::string>& args)> run;
};

// The command table, in the order the overview lists it.
std::vector<CliCommand>& Commands();

// A file of commands adds its entries with a static object of this type.
struct AddCommands {
    explicit AddCommands(std::vector<CliCommand> commands);
};

// Messages go to stderr, data to stdout.
void Message(const std::string& text);
// Trace lines of the core go to stderr while this is on ("-v").
extern bool Verbose;

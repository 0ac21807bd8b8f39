#include "Cli.h"

#include <cstdio>

bool Verbose = false;

std::vector<CliCommand>& Commands()
{
    static std::vector<CliCommand> table;
    return table;
}

AddCommands::AddCommands(std::vector<CliCommand> commands)
{
    for (auto& c : commands)
        Commands().push_back(std::move(c));
}

void Message(const std::string& text)
{
    std::fprintf(stderr, "%s\n", text.c_str());
}

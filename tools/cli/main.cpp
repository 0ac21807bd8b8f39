#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

#include "Cli.h"
#include "model/Trace.h"

namespace {
// The unit commands first, in the order a user needs them; the rest after.
int rank(const std::string& name)
{
    static const char* first[] = {"ports", "search", "backup", "restore"};
    for (int i = 0; i < 4; ++i)
        if (name == first[i])
            return i;
    return 4;
}

std::string overview()
{
    std::vector<const CliCommand*> list;
    for (const auto& c : Commands())
        list.push_back(&c);
    std::stable_sort(list.begin(), list.end(),
                     [](const CliCommand* a, const CliCommand* b) { return rank(a->name) < rank(b->name); });
    std::string text = "Usage: drux [-v] COMMAND [ARGUMENTS]\n\n"
                       "Talks to a DRUX unit over MIDI, and works with its files.\n\nCommands:\n";
    for (const CliCommand* c : list) {
        std::string line = "  " + c->usage;
        line.resize(std::max<size_t>(line.size() + 2, 40), ' ');
        text += line + c->summary + "\n";
    }
    text += "\n  -v        print the trace of the MIDI traffic on stderr\n"
            "\n'drux COMMAND --help' tells more about a command.\n"
            "Exit codes: 0 done, 1 file error, 2 wrong usage, 3 no unit answered,\n"
            "4 the unit stopped answering.\n";
    return text;
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The editor's name: its user data folder, where backups may go, is
    // this tool's too.
    QCoreApplication::setApplicationName(QStringLiteral("Drux Editor"));
    std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "-v" || args[0] == "--verbose")) {
        Verbose = true;
        args.erase(args.begin());
    }
    QElapsedTimer clock;
    clock.start();
    if (Verbose)
        SetTraceSink([&clock](int, const std::string& line) {
            std::fprintf(stderr, "%6lld ms  %s\n", static_cast<long long>(clock.elapsed()), line.c_str());
        });

    if (args.empty()) {
        std::fputs(overview().c_str(), stderr);
        return ExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::fputs(overview().c_str(), stdout);
        return ExitOk;
    }
    const auto it = std::find_if(Commands().begin(), Commands().end(),
                                 [&](const CliCommand& c) { return c.name == args[0]; });
    if (it == Commands().end()) {
        Message("drux: unknown command '" + args[0] + "' (see drux --help)");
        return ExitUsage;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (std::find(rest.begin(), rest.end(), "--help") != rest.end() ||
        std::find(rest.begin(), rest.end(), "-h") != rest.end()) {
        std::printf("Usage: drux %s\n\n%s", it->usage.c_str(), it->help.c_str());
        return ExitOk;
    }
    const int result = it->run(rest);
    TraceLine(1, "Done");
    return result;
}

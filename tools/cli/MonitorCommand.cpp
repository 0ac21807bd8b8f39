#include "MonitorCommand.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>

#include "Cli.h"
#include "CliText.h"
#include "monitor/MidiMonitor.h"
#include "midi/MidiPorts.h"
#include "midi/RtMidiDriver.h"
#include "midi/Sysex.h"
#include "model/Trace.h"

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int)
{
    interrupted = true;
}

struct MonitorOptions {
    double seconds = 0; // 0: until interrupted
    int model = -1;     // -1: the model of the unit that identifies itself
    bool raw = false;
};

// "0x13", "13h" or decimal "19".
int parseModel(const QString& text)
{
    bool ok = false;
    int m = -1;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        m = text.mid(2).toInt(&ok, 16);
    else if (text.endsWith(QLatin1Char('h'), Qt::CaseInsensitive))
        m = text.chopped(1).toInt(&ok, 16);
    else
        m = text.toInt(&ok, 10);
    return ok && IsKnownModel(m) ? m : -1;
}

bool parseOptions(const QStringList& args, MonitorOptions& o)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--seconds")) {
            bool ok = false;
            o.seconds = i + 1 < args.size() ? args[++i].toDouble(&ok) : 0;
            if (!ok || o.seconds <= 0) {
                Message("drux monitor: --seconds takes a number of seconds above 0");
                return false;
            }
        } else if (a == QLatin1String("--model")) {
            if (i + 1 >= args.size() || (o.model = parseModel(args[++i])) < 0) {
                Message("drux monitor: --model takes 0x0D, 0x11 or 0x13");
                return false;
            }
        } else if (a == QLatin1String("--raw")) {
            o.raw = true;
        } else {
            Message("drux monitor: unknown argument '" + a.toStdString() + "'");
            return false;
        }
    }
    return true;
}

} // namespace

int RunMonitorCommand(const QStringList& args, std::unique_ptr<MidiDriver> driver, std::function<void()> listening)
{
    MonitorOptions o;
    if (!parseOptions(args, o))
        return ExitUsage;
    if (!driver)
        driver = std::make_unique<RtMidiDriver>("Drux Tool");
    MidiPorts ports(std::move(driver));
    ports.Enumerate();
    // Until a unit identifies itself the monitor reads the traffic as the
    // program does at its start: the virtual unit on channel 1.
    MonitorUnit unit = MonitorUnit::of(DeviceConnection(), 1);
    if (o.model >= 0)
        unit.model = o.model;
    const DeviceConnection saved = ActiveDevice;
    ActiveDevice.MidiIn = -1;
    const bool open = ports.OpenInputsOnly();
    ActiveDevice = saved;
    if (!open) {
        Message("No MIDI input port to listen on.");
        return ExitNoUnit;
    }

    const int64_t start = std::chrono::steady_clock::now().time_since_epoch().count();
    MonitorContext context;
    ports.SetTap([&](const MidiTapEvent& e) {
        if (e.kind != MidiTapEvent::Received)
            return;
        const std::vector<uint8_t>& m = *e.bytes;
        const std::string text = context.Decode(m, MidiDirection::In, unit);
        // A unit that identifies itself is the one the rest is read for.
        if (!m.empty() && m[0] == Sysex::Start) {
            const SysexFrame frame = FrameSysex(m);
            if (const auto info = ParseIdentifyReply(frame)) {
                unit.device = info->device;
                unit.channel = info->device & 0x0F;
                if (o.model < 0)
                    unit.model = info->model;
            }
        }
        const auto& names = ports.InputNames();
        const QString port = e.port >= 0 && e.port < int(names.size()) ? clitext::latin1(names[size_t(e.port)])
                                                                        : QString::number(e.port);
        clitext::out(QStringLiteral("%1\t%2\t%3\t%4")
                         .arg(double(e.nanoseconds - start) / 1e6, 0, 'f', 1)
                         .arg(clitext::cell(port), clitext::cell(clitext::latin1(text)),
                              QString::fromLatin1(MonitorHex(m, o.raw ? 0 : MonitorFoldBytes))));
        std::fflush(stdout);
    });

    interrupted = false;
    auto previous = std::signal(SIGINT, onInterrupt);
    auto previousTerm = std::signal(SIGTERM, onInterrupt);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (interrupted)
            loop.quit();
    });
    poll.start(50);
    if (o.seconds > 0)
        QTimer::singleShot(int(o.seconds * 1000), &loop, &QEventLoop::quit);
    if (listening)
        QTimer::singleShot(0, &loop, [&] { listening(); });
    loop.exec();
    std::signal(SIGINT, previous);
    std::signal(SIGTERM, previousTerm);
    ports.SetTap(nullptr);
    ports.ShutDown();
    return ExitOk;
}

namespace {
const AddCommands monitorCommands({
    {"monitor", "monitor [--seconds S] [--model CODE] [--raw]", "show the MIDI traffic in the unit's terms",
     "Listens on every MIDI input port and prints one line per message that\n"
     "arrives, tab-separated: time in ms since the start, input port, the\n"
     "message in words (preset dump Bank 4 C \"CRUNCH LEAD\", Amplifier: Treble =\n"
     "90\"), its bytes in hex. A message that is not the unit's says why (other\n"
     "channel, other maker, other device id or model, cut short). Sends nothing.\n\n"
     "  --seconds S   stop after S seconds (default: when interrupted, Ctrl+C)\n"
     "  --model CODE  read the traffic for the model 0x0D, 0x11 or 0x13; default:\n"
     "                0x11 until a unit identifies itself, then that unit's\n"
     "  --raw         every byte of long SysEx in hex, not only its first 16\n\n"
     "The messages are read for the unit that last identified itself (its\n"
     "device id and channel), else for device 0 on channel 1.\n"
     "Exit code 3 when no input port could be opened.\n",
     [](const std::vector<std::string>& args) { return RunMonitorCommand(clitext::toQt(args)); }},
});
} // namespace

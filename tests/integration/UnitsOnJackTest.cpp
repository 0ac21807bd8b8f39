// Simulated units as drux-sim processes on real JACK MIDI ports, found and
// read by the editor's core in this process and by the drux tool.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "SimEngine.h"
#include "midi/DeviceSearch.h"
#include "midi/MidiDispatch.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "midi/RtMidiDriver.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

bool jackRunning()
{
    const char* v = std::getenv("DRUX_JACK_RUNNING");
    return v && std::string(v) == "1";
}

#define SKIP_WITHOUT_JACK()                                                                                       \
    if (!jackRunning())                                                                                           \
    GTEST_SKIP() << "jackd is not running: scripts/test starts a JACK dummy server and sets DRUX_JACK_RUNNING=1"

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

Outcome drux(QStringList args, int timeoutMs = 60000)
{
    // The commands that keep the units' memory keep it here, not beside the
    // program in the build tree.
    static QTemporaryDir workingFolder;
    const QStringList keeping{QStringLiteral("backup"), QStringLiteral("restore"), QStringLiteral("backups")};
    if (!args.isEmpty() && keeping.contains(args[0]) && !args.contains(QStringLiteral("--dir")) &&
        !args.contains(QStringLiteral("--help")))
        args.insert(1, QStringLiteral("--dir")), args.insert(2, workingFolder.path());
    QProcess p;
    p.start(QStringLiteral(DRUX_CLI_PROGRAM), args);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("timed out");
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    return r;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A memory image that no simulator starts with: every preset's name carries
// its slot number and a mark of its own.
QByteArray memoryFile(int model, char mark)
{
    SimOptions o;
    o.model = model;
    SimEngine engine(o);
    std::vector<uint8_t> bytes = engine.memoryDumpFile();
    const int length = engine.imageLength();
    for (int slot = 0; slot < SlotCount; ++slot) {
        uint8_t* image = bytes.data() + 9 + slot * length;
        image[0] = static_cast<uint8_t>(mark);
        image[1] = static_cast<uint8_t>('0' + slot / 100);
        image[2] = static_cast<uint8_t>('0' + slot / 10 % 10);
        image[3] = static_cast<uint8_t>('0' + slot % 10);
        image[length - 1] = static_cast<uint8_t>(slot & 0x7F);
    }
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// One drux-sim process, stopped (and its memory file saved) at the end.
class Sim {
public:
    Sim(const QString& name, const QStringList& options) : name(name)
    {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(DRUX_SIM_PROGRAM),
                      QStringList{QStringLiteral("--api"), QStringLiteral("jack"), QStringLiteral("--name"), name} +
                          options);
    }
    ~Sim()
    {
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished();
        }
    }
    bool ready()
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
            output += process.readAllStandardOutput();
            if (output.contains("drux-sim ready"))
                return true;
        }
        return false;
    }

    QString name;
    QProcess process;
    QByteArray output;
};

struct Ports {
    int in = -1;  // our input: the simulator's output
    int out = -1; // our output: the simulator's input
};

// The simulator's ports among those drux lists.
Ports portsOf(const QString& simName)
{
    Ports p;
    const Outcome r = drux({QStringLiteral("ports")});
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 3)
            continue;
        if (f[0] == QLatin1String("in") && f[2].endsWith(simName + QStringLiteral(" out")))
            p.in = f[1].toInt();
        if (f[0] == QLatin1String("out") && f[2].endsWith(simName + QStringLiteral(" in")))
            p.out = f[1].toInt();
    }
    return p;
}

QString deviceKey(int model, int device, const Ports& p)
{
    return QString::asprintf("DEV%02XM%02dI%02dO%02d", model, device, p.in, p.out);
}

// The line of `drux search` for the unit with this name, split at its tabs.
QStringList searchLine(const Outcome& r, const QString& unitName)
{
    for (const QString& line : r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 4 && f[3] == unitName)
            return f;
    }
    return {};
}

class UnitsOnJack : public ::testing::Test {
protected:
    void SetUp() override
    {
        SKIP_WITHOUT_JACK();
        ASSERT_TRUE(dir.isValid());
        const QString tag = QString::number(QCoreApplication::applicationPid());
        guitarName = QStringLiteral("GTR ") + tag;
        bassName = QStringLiteral("BASS ") + tag;
        guitarFile = dir.filePath(QStringLiteral("guitar.syx"));
        bassFile = dir.filePath(QStringLiteral("bass.syx"));
        guitarMemory = memoryFile(0x11, 'G');
        bassMemory = memoryFile(0x13, 'B');
        ASSERT_TRUE(writeFile(guitarFile, guitarMemory));
        ASSERT_TRUE(writeFile(bassFile, bassMemory));
        guitar = std::make_unique<Sim>(QStringLiteral("itest-gtr-") + tag,
                                       QStringList{QStringLiteral("--model"), QStringLiteral("0x11"),
                                                   QStringLiteral("--unit-name"), guitarName,
                                                   QStringLiteral("--memory"), guitarFile});
        bass = std::make_unique<Sim>(QStringLiteral("itest-bass-") + tag,
                                     QStringList{QStringLiteral("--model"), QStringLiteral("0x13"),
                                                 QStringLiteral("--variant"), QStringLiteral("5"),
                                                 QStringLiteral("--device"), QStringLiteral("3"),
                                                 QStringLiteral("--unit-name"), bassName, QStringLiteral("--memory"),
                                                 bassFile});
        ASSERT_TRUE(guitar->ready()) << guitar->process.readAllStandardError().toStdString();
        ASSERT_TRUE(bass->ready()) << bass->process.readAllStandardError().toStdString();
        guitarPorts = portsOf(guitar->name);
        bassPorts = portsOf(bass->name);
        ASSERT_GE(guitarPorts.in, 0);
        ASSERT_GE(guitarPorts.out, 0);
        ASSERT_GE(bassPorts.in, 0);
        ASSERT_GE(bassPorts.out, 0);
        guitarKey = deviceKey(0x11, 0, guitarPorts);
        bassKey = deviceKey(0x13, 3, bassPorts);
    }

    QTemporaryDir dir;
    QString guitarName, bassName, guitarFile, bassFile, guitarKey, bassKey;
    QByteArray guitarMemory, bassMemory;
    std::unique_ptr<Sim> guitar, bass;
    Ports guitarPorts, bassPorts;
};

TEST_F(UnitsOnJack, DruxSearchFindsBothUnitsWithTheirKeysTypesAndNames)
{
    const Outcome r = drux({QStringLiteral("search")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList g = searchLine(r, guitarName);
    const QStringList b = searchLine(r, bassName);
    ASSERT_EQ(g.size(), 4) << r.out.toStdString();
    ASSERT_EQ(b.size(), 4) << r.out.toStdString();
    EXPECT_EQ(g[0], guitarKey);
    EXPECT_EQ(g[1], QStringLiteral("1"));
    EXPECT_TRUE(g[2].startsWith(QStringLiteral("DRUX 2"))) << g[2].toStdString();
    EXPECT_EQ(b[0], bassKey);
    EXPECT_EQ(b[1], QStringLiteral("5"));
    EXPECT_TRUE(b[2].startsWith(QStringLiteral("BASS DRUX PRO"))) << b[2].toStdString();
}

TEST_F(UnitsOnJack, BackupOfEachUnitEqualsItsMemoryByteForByte)
{
    const QString g = dir.filePath(QStringLiteral("g-backup.syx"));
    const QString b = dir.filePath(QStringLiteral("b-backup.syx"));
    const Outcome rg = drux({QStringLiteral("backup"), QStringLiteral("--unit"), guitarKey, g});
    EXPECT_EQ(rg.exitCode, 0) << rg.err.toStdString();
    const Outcome rb = drux({QStringLiteral("backup"), QStringLiteral("--unit"), bassKey, b});
    EXPECT_EQ(rb.exitCode, 0) << rb.err.toStdString();
    const QByteArray gb = readFile(g);
    const QByteArray bb = readFile(b);
    EXPECT_EQ(gb.size(), 6010);
    EXPECT_EQ(bb.size(), 7010);
    EXPECT_TRUE(gb == guitarMemory);
    EXPECT_TRUE(bb == bassMemory);
}

TEST_F(UnitsOnJack, RestoreReplacesTheUnitsMemory)
{
    QByteArray changed = bassMemory;
    changed[9 + 56 * 42] = 'R';
    changed[9 + 56 * 124 + 5] = 'Z';
    const QString file = dir.filePath(QStringLiteral("changed.syx"));
    ASSERT_TRUE(writeFile(file, changed));
    const Outcome r = drux({QStringLiteral("restore"), QStringLiteral("--unit"), bassKey, file});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();

    const QString back = dir.filePath(QStringLiteral("back.syx"));
    const Outcome rb = drux({QStringLiteral("backup"), QStringLiteral("--unit"), bassKey, back});
    EXPECT_EQ(rb.exitCode, 0) << rb.err.toStdString();
    EXPECT_TRUE(readFile(back) == changed);
}

TEST_F(UnitsOnJack, EveryReadKeepsTheMemoryOnceAndRestoreKeepsItFirst)
{
    QTemporaryDir working;
    const auto run = [&](QStringList args) {
        args.insert(1, QStringLiteral("--dir"));
        args.insert(2, working.path());
        return drux(args);
    };
    const QDir backups(working.filePath(QStringLiteral("Backups")));
    const QString out = dir.filePath(QStringLiteral("g.syx"));
    ASSERT_EQ(run({QStringLiteral("backup"), QStringLiteral("--unit"), guitarKey, out}).exitCode, 0);
    ASSERT_EQ(run({QStringLiteral("backup"), QStringLiteral("--unit"), guitarKey, out}).exitCode, 0);
    const QStringList kept = backups.entryList({QStringLiteral("*.syx")}, QDir::Files);
    ASSERT_EQ(kept.size(), 1) << kept.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(kept[0].startsWith(guitarName + QLatin1Char(' '))) << qPrintable(kept[0]);
    EXPECT_TRUE(readFile(backups.filePath(kept[0])) == guitarMemory);

    // A restore reads the unit first: its memory equals the backup, so the
    // restore keeps nothing new; the read after it keeps the new memory.
    QByteArray changed = guitarMemory;
    changed[9 + 48 * 3] = 'Q';
    changed[9 + 48 * 100] = 'Q';
    const QString file = dir.filePath(QStringLiteral("changed.syx"));
    ASSERT_TRUE(writeFile(file, changed));
    const Outcome restored = run({QStringLiteral("restore"), QStringLiteral("--unit"), guitarKey, file});
    ASSERT_EQ(restored.exitCode, 0) << restored.err.toStdString();
    EXPECT_EQ(backups.entryList({QStringLiteral("*.syx")}, QDir::Files).size(), 1);
    ASSERT_EQ(run({QStringLiteral("backup"), QStringLiteral("--unit"), guitarKey, out}).exitCode, 0);

    const Outcome listed = run({QStringLiteral("backups"), QStringLiteral("--unit"), guitarKey});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << listed.out.toStdString();
    EXPECT_EQ(lines[0].section(QLatin1Char('\t'), 1, 1), guitarKey);
    EXPECT_EQ(lines[0].section(QLatin1Char('\t'), 3, 3), QStringLiteral("0"));
    EXPECT_EQ(lines[1].section(QLatin1Char('\t'), 3, 3), QStringLiteral("2"));
    EXPECT_TRUE(readFile(lines[0].section(QLatin1Char('\t'), 0, 0)) == changed);

    // No backup, nothing sent: files stand where the backups would go, in
    // the working folder and in the user's data folder.
    QTemporaryDir blocked;
    ASSERT_TRUE(writeFile(blocked.filePath(QStringLiteral("Backups")), "x"));
    ASSERT_TRUE(writeFile(blocked.filePath(QStringLiteral("data")), "x"));
    QByteArray other = guitarMemory;
    other[9] = 'X';
    ASSERT_TRUE(writeFile(file, other));
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", blocked.filePath(QStringLiteral("data")).toLocal8Bit());
    const Outcome refused = drux({QStringLiteral("restore"), QStringLiteral("--dir"), blocked.path(),
                                  QStringLiteral("--unit"), guitarKey, file});
    dataHome.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", dataHome);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("Nothing was sent."))) << refused.err.toStdString();
    ASSERT_EQ(run({QStringLiteral("backup"), QStringLiteral("--unit"), guitarKey, out}).exitCode, 0);
    EXPECT_TRUE(readFile(out) == changed);
}

TEST_F(UnitsOnJack, RestoreRefusesTheOtherFamilysDump)
{
    const Outcome r = drux({QStringLiteral("restore"), QStringLiteral("--unit"), bassKey, guitarFile});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Sysex Dump is not compatible"))) << r.err.toStdString();
}

// drux monitor over real ports: what the bass unit answers a backup, in words,
// with the unit's output port; the monitor itself sends nothing.
TEST_F(UnitsOnJack, MonitorTellsWhatTheUnitAnswersABackup)
{
    QProcess monitor;
    monitor.start(QStringLiteral(DRUX_CLI_PROGRAM),
                  {QStringLiteral("monitor"), QStringLiteral("--seconds"), QStringLiteral("6")});
    ASSERT_TRUE(monitor.waitForStarted());
    // Its clients and ports open within about a second.
    QTest::qWait(1500);
    const Outcome r =
        drux({QStringLiteral("backup"), QStringLiteral("--unit"), bassKey, dir.filePath(QStringLiteral("b.syx"))});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_TRUE(monitor.waitForFinished(15000));
    EXPECT_EQ(monitor.exitCode(), 0);
    const QString out = QString::fromUtf8(monitor.readAllStandardOutput());
    const QString port = bass->name + QStringLiteral(" out");
    auto printed = [&](const QString& text) {
        for (const QString& line : out.split(QLatin1Char('\n'))) {
            const QStringList columns = line.split(QLatin1Char('\t'));
            if (columns.size() == 4 && columns[1].endsWith(port) && columns[2] == text)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(printed(QStringLiteral("identify reply of device 3: \"BASS DRUX PRO V1.05\", SubModel 5")))
        << out.toStdString();
    EXPECT_TRUE(printed(QStringLiteral("name reply \"") + bassName + QStringLiteral("\""))) << out.toStdString();
    EXPECT_TRUE(printed(QStringLiteral("memory dump: 125 presets of 56 bytes"))) << out.toStdString();
}

// The editor's own core, in this process, over the same ports.
TEST_F(UnitsOnJack, CoreSearchFindsBothAndReadsTheBassMemory)
{
    CreateModules();
    CreateRecords();
    ActiveDevice = DeviceConnection();
    SavedDevice = ActiveDevice;
    {
        MidiPorts ports(std::make_unique<RtMidiDriver>("Drux Core Test"));
        Protocol protocol(ports);
        DeviceSearch search(ports);
        search.requestSettingsOnSelect = false;
        search.sendIdentifyRequest = [&] { protocol.SendIdentifyRequest(); };
        protocol.hooks.stopSearchTimer = [&] { search.IdentifyReplyArrived(); };
        protocol.hooks.nameRequested = [&] { search.NameRequested(); };
        search.nameWaitEnded = [&] { protocol.NameWaitEnded(); };
        protocol.hooks.unitRecognised = [&] { search.UnitRecognised(); };
        MidiHooks hooks;
        hooks.sysex = [&](int port, const std::vector<uint8_t>& m) { protocol.HandleSysexIn(port, m); };
        ports.SetInputHandler([&](int port, const std::vector<uint8_t>& m) { DispatchMidiInput(hooks, port, m); });
        ASSERT_TRUE(search.Initialise());

        QEventLoop loop;
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
        search.searchEnded = [&] { QTimer::singleShot(0, &loop, &QEventLoop::quit); };
        search.Search();
        guard.start(20000);
        loop.exec();
        ASSERT_FALSE(search.ScanActive()) << "the search did not end";

        const DeviceConnection* g = nullptr;
        const DeviceConnection* b = nullptr;
        for (const DeviceConnection& u : search.Units()) {
            if (u.DeviceName == guitarName.toStdString())
                g = &u;
            if (u.DeviceName == bassName.toStdString())
                b = &u;
        }
        ASSERT_TRUE(g && b);
        EXPECT_EQ(g->DeviceKey, guitarKey.toStdString());
        EXPECT_EQ(g->SubModel, 1);
        EXPECT_EQ(b->DeviceKey, bassKey.toStdString());
        EXPECT_EQ(b->SubModel, 5);
        EXPECT_EQ(b->MidiChan, 3);

        search.Connect(*b);
        ResetAllRecords();
        bool read = false;
        protocol.hooks.memoryRead = [&] {
            read = true;
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
        };
        protocol.ReadMemory(1);
        guard.start(20000);
        loop.exec();
        ASSERT_TRUE(read);
        for (int slot = 0; slot < SlotCount; ++slot)
            ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(DeviceMemory[slot]->data.data()), 56),
                      bassMemory.mid(9 + slot * 56, 56))
                << slot;
    }
    DestroyRecords();
    DestroyModules();
    ActiveDevice = DeviceConnection();
    SavedDevice = ActiveDevice;
}

// ---- units that misbehave ----

class FaultyUnit : public ::testing::Test {
protected:
    void start(const QStringList& faults)
    {
        ASSERT_TRUE(dir.isValid());
        const QString tag = QString::number(QCoreApplication::applicationPid());
        file = dir.filePath(QStringLiteral("memory.syx"));
        memory = memoryFile(0x11, 'F');
        ASSERT_TRUE(writeFile(file, memory));
        sim = std::make_unique<Sim>(QStringLiteral("itest-faulty-") + tag,
                                    QStringList{QStringLiteral("--model"), QStringLiteral("0x11"),
                                                QStringLiteral("--device"), QStringLiteral("1"),
                                                QStringLiteral("--memory"), file} +
                                        faults);
        ASSERT_TRUE(sim->ready()) << sim->process.readAllStandardError().toStdString();
        ports = portsOf(sim->name);
        ASSERT_GE(ports.in, 0);
        ASSERT_GE(ports.out, 0);
        key = deviceKey(0x11, 1, ports);
    }

    Outcome backup(const QString& name)
    {
        return drux({QStringLiteral("backup"), QStringLiteral("--unit"), key, dir.filePath(name)});
    }

    QTemporaryDir dir;
    QString file, key;
    QByteArray memory;
    std::unique_ptr<Sim> sim;
    Ports ports;
};

TEST_F(FaultyUnit, IgnoringTheFirstWholeMemoryRequestIsAnsweredByTheRetry)
{
    SKIP_WITHOUT_JACK();
    start({QStringLiteral("--ignore-memory-requests"), QStringLiteral("1")});
    const Outcome r = backup(QStringLiteral("b.syx"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("b.syx"))) == memory);
}

TEST_F(FaultyUnit, CuttingEveryMemoryDumpShortIsReadOnePresetAtATime)
{
    SKIP_WITHOUT_JACK();
    start({QStringLiteral("--cut-memory-dumps"), QStringLiteral("1000")});
    const Outcome r = backup(QStringLiteral("b.syx"));
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("b.syx"))) == memory);
}

TEST_F(FaultyUnit, SilentUnitEndsInTheTimeOutMessage)
{
    SKIP_WITHOUT_JACK();
    start({QStringLiteral("--never-answer")});
    const Outcome r = backup(QStringLiteral("b.syx"));
    EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("No response from Drux !!\nCheck connection.\n"))) << r.err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("b.syx"))));
}

// Every combination of late, lost and cut answers ends in a backup equal to
// the unit's memory or in the time-out text with exit code 4, within the
// time the retry budget allows (a whole-memory request and its retry of
// 6000 ms each, then six waits of 600 to 1600 ms for one preset).
struct FaultRow {
    const char* name;
    QStringList faults;
    bool complete;
};

void PrintTo(const FaultRow& row, std::ostream* os)
{
    *os << row.name;
}

class FaultCombinations : public FaultyUnit, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(FaultCombinations, BackupIsCompleteOrEndsInTheTimeOutWithinTheBudget)
{
    SKIP_WITHOUT_JACK();
    const FaultRow row = GetParam();
    start(row.faults);
    QElapsedTimer time;
    time.start();
    const Outcome r = backup(QStringLiteral("b.syx"));
    EXPECT_LT(time.elapsed(), 12000 + 6600 + 10000);
    if (row.complete) {
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(readFile(dir.filePath(QStringLiteral("b.syx"))) == memory);
    } else {
        EXPECT_EQ(r.exitCode, 4) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("No response from Drux !!\nCheck connection.\n")))
            << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("b.syx"))));
    }
}

const QString Cut = QStringLiteral("--cut-memory-dumps");
const QString Late = QStringLiteral("--delay-preset-replies");
const QString Drop = QStringLiteral("--drop-preset-requests");
const QString LateName = QStringLiteral("--delay-name-reply");

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultCombinations,
    ::testing::Values(
        FaultRow{"CutThenOneLateAndTheNextLost", {Cut, "1000", Late, "2:700", Drop, "4"}, true},
        FaultRow{"CutThenTheFirstPresetLateBeyondTwoRetries", {Cut, "1000", Late, "1:2000", Drop, "2"}, true},
        FaultRow{"CutThenSeveralLateAndLost", {Cut, "1000", Late, "3:900,9:650", Drop, "5,10,11"}, true},
        FaultRow{"LateNameAndLatePresetsButAWholeMemory", {LateName, "300", Late, "1:700", Drop, "2"}, true},
        FaultRow{"CutThenAPresetAnsweredOnlyAfterTheQuestion", {Cut, "1000", Late, "1:9000", Drop, "2,3,4,5,6"}, false},
        FaultRow{"CutThenTheFirstPresetNeverAnswered", {Cut, "1000", LateName, "300", Drop, "1,2,3,4,5,6"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The hidden reconnect at start-up, over real ports: the unit's name comes
// after its wait has ended. The unit is recognised once, without it, and its
// memory is read once.
TEST_F(FaultyUnit, LateNameReplyOnTheHiddenReconnectReadsTheMemoryOnce)
{
    SKIP_WITHOUT_JACK();
    start({LateName, QStringLiteral("400"), QStringLiteral("--unit-name"), QStringLiteral("LATE NAME")});
    CreateModules();
    CreateRecords();
    ActiveDevice = DeviceConnection();
    SavedDevice = ActiveDevice;
    int resets = 0, reads = 0;
    {
        MidiPorts midi(std::make_unique<RtMidiDriver>("Drux Core Test"));
        Protocol protocol(midi);
        DeviceSearch search(midi);
        ConnectSearchToProtocol(search, protocol);
        search.requestSettingsOnSelect = false;
        search.resetAllRecords = [&] {
            ++resets;
            ResetAllRecords();
        };
        protocol.hooks.memoryRead = [&] { ++reads; };
        MidiHooks hooks;
        hooks.sysex = [&](int port, const std::vector<uint8_t>& m) { protocol.HandleSysexIn(port, m); };
        midi.SetInputHandler([&](int port, const std::vector<uint8_t>& m) { DispatchMidiInput(hooks, port, m); });
        ASSERT_TRUE(search.Initialise());

        const QString iniPath = dir.filePath(QStringLiteral("drux.ini"));
        {
            QSettings ini(iniPath, QSettings::IniFormat);
            ini.setValue(QStringLiteral("Last/Device"), key);
            ini.beginGroup(key);
            ini.setValue(QStringLiteral("Model"), 0x11);
            ini.setValue(QStringLiteral("MidiIn"), ports.in);
            ini.setValue(QStringLiteral("MidiOut"), ports.out);
            ini.setValue(QStringLiteral("MidiDevice"), 1);
            ini.setValue(QStringLiteral("MidiChan"), 1);
            ini.setValue(QStringLiteral("SubModel"), 1);
            ini.endGroup();
        }
        QSettings ini(iniPath, QSettings::IniFormat);
        search.RestoreLastUnit(ini);
        // The name arrives 400 ms after it was asked for, the memory soon
        // after the wait of 100 ms: give both time, and the late name more.
        QTest::qWait(2500);
        EXPECT_FALSE(search.ScanActive());
        EXPECT_EQ(resets, 1);
        EXPECT_EQ(reads, 1);
        EXPECT_NE(ActiveDevice.DeviceName, "LATE NAME");
        for (int slot = 0; slot < SlotCount; ++slot)
            ASSERT_EQ(QByteArray(reinterpret_cast<const char*>(DeviceMemory[slot]->data.data()), 48),
                      memory.mid(9 + slot * 48, 48))
                << slot;
    }
    DestroyRecords();
    DestroyModules();
    ActiveDevice = DeviceConnection();
    SavedDevice = ActiveDevice;
}

// ---- the tool's usage, without any port ----

TEST(DruxUsage, HelpAndWrongUsage)
{
    const Outcome help = drux({QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"ports", "search", "backup [--unit KEY] FILE", "restore [--unit KEY] FILE"})
        EXPECT_TRUE(help.out.contains(QLatin1String(command))) << command;

    const Outcome backupHelp = drux({QStringLiteral("backup"), QStringLiteral("--help")});
    EXPECT_EQ(backupHelp.exitCode, 0);
    EXPECT_TRUE(backupHelp.out.startsWith(QStringLiteral("Usage: drux backup [--unit KEY] FILE")));

    EXPECT_EQ(drux({}).exitCode, 2);
    EXPECT_EQ(drux({QStringLiteral("frobnicate")}).exitCode, 2);
    const Outcome noFile = drux({QStringLiteral("backup"), QStringLiteral("--unit")});
    EXPECT_EQ(noFile.exitCode, 2);
    EXPECT_TRUE(noFile.out.isEmpty());
    EXPECT_FALSE(noFile.err.isEmpty());
    EXPECT_EQ(drux({QStringLiteral("restore"), QStringLiteral("a.syx"), QStringLiteral("b.syx")}).exitCode, 2);
}

TEST(DruxUsage, RestoreOfAFileThatIsNoDumpFailsBeforeTouchingMidi)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("short.syx"));
    ASSERT_TRUE(writeFile(file, QByteArray("\xF0\x00\x20\x32\x00\x11\x21\x7D\x30\xF7", 10)));
    const Outcome r = drux({QStringLiteral("restore"), file});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(file)) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_EQ(drux({QStringLiteral("restore"), dir.filePath(QStringLiteral("missing.syx"))}).exitCode, 1);
}

} // namespace

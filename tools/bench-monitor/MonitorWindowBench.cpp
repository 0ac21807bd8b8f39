// How busy the GUI thread is while a unit sends 1,000 controllers a second
// (from the MIDI driver's own thread, as real input arrives), without the
// MIDI Monitor and with it open; the goal is under 10 %. Runs offscreen
// unless a display is given.
#include <QApplication>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "monitor/MidiMonitorForm.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiDispatch.h"
#include "model/DeviceConnection.h"
#include "files/Preferences.h"
#include "shell/HelpPage.h"
#include "shell/MessageService.h"

namespace {

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Runs the event loop for `seconds` while controllers arrive at `rate` a
// second; returns the GUI thread's CPU time over wall time.
double busyWhileControllersArrive(LoopbackDriver& driver, double seconds, int rate, long& sent)
{
    std::atomic<bool> stop{false};
    sent = 0;
    std::thread unit([&] {
        auto next = std::chrono::steady_clock::now();
        const auto step = std::chrono::nanoseconds(1'000'000'000 / rate);
        int v = 0;
        while (!stop) {
            next += step;
            std::this_thread::sleep_until(next);
            driver.inject(0, {0xB0, 13, uint8_t(v++ & 127)});
            ++sent;
        }
    });
    const double cpu0 = threadCpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = threadCpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    stop = true;
    unit.join();
    QCoreApplication::processEvents();
    return cpu / wall;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    constexpr int Rate = 1000;

    ActiveDevice = DeviceConnection();
    auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Unit In"}, std::vector<std::string>{"Unit Out"});
    LoopbackDriver* driver = d.get();
    MidiPorts ports(std::move(d));
    // The program's own handling of a controller is left out: this is the
    // port layer and the monitor alone.
    long handled = 0;
    ports.SetInputHandler([&handled](int, const std::vector<uint8_t>&) { ++handled; });
    ports.Enumerate();
    ports.Open();
    MessageService messages;
    HelpOpener help;
    TMidiMonitorForm monitor(WindowServices{messages, help, CurrentPreferences, PreferenceSets}, ports);

    long sent = 0;
    const double without = busyWhileControllersArrive(*driver, seconds, Rate, sent);
    std::printf("without the monitor: GUI thread %.2f %% busy (%ld controllers, %ld handled)\n", 100 * without, sent,
                handled);
    monitor.show();
    QCoreApplication::processEvents();
    const double with = busyWhileControllersArrive(*driver, seconds, Rate, sent);
    std::printf("with the monitor:    GUI thread %.2f %% busy (%ld controllers, %d lines kept)\n", 100 * with, sent,
                monitor.LineTotal());
    std::printf("goal: under 10 %%: %s\n", with < 0.10 ? "met" : "missed");
    return with < 0.10 ? 0 : 1;
}

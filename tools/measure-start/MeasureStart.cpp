// Starts a program on the X server of $DISPLAY and measures it as a user
// would notice it: how long until its first window and its main window are
// on the screen, how much memory it holds once the main window is there, and how often its main thread wakes and how much CPU it takes while
// it sits idle. Dialogs that come up before or after the main window (a
// missing MIDI system, the search for units) are closed the moment they
// are mapped, the way a window manager's close button closes them. Prints one line of key=value pairs.
//
// Usage: measure-start [--idle SECONDS] [--settle SECONDS] -- PROGRAM [ARGS...]
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

std::vector<uint32_t> property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t name, xcb_atom_t type)
{
    std::vector<uint32_t> values;
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, type, 0, 32), nullptr);
    if (r && r->format == 32) {
        const auto* v = static_cast<const uint32_t*>(xcb_get_property_value(r));
        values.assign(v, v + xcb_get_property_value_length(r) / 4);
    }
    std::free(r);
    return values;
}

// Memory in kB that the program holds in RAM, the MIDI server's shared
// memory segments left out: its resident pages (the libraries' pages
// included, however many other processes map them too) and, of those, the
// private dirty ones, which are the program's own heap and data.
struct Memory {
    long residentKb = 0;
    long privateDirtyKb = 0;
};

Memory memory(pid_t pid)
{
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    std::string line;
    bool counted = true;
    Memory m;
    while (std::getline(smaps, line)) {
        // A mapping's header names its address range, then its file; the
        // lines after it are "Name:   value kB".
        const size_t colon = line.find(':');
        const bool header = colon == std::string::npos || line.find(' ') < colon;
        if (header)
            counted = line.find("/dev/shm/") == std::string::npos;
        else if (counted && line.rfind("Rss:", 0) == 0)
            m.residentKb += std::atol(line.c_str() + colon + 1);
        else if (counted && line.rfind("Private_Dirty:", 0) == 0)
            m.privateDirtyKb += std::atol(line.c_str() + colon + 1);
    }
    return m;
}

struct TaskTimes {
    long switches = 0;   // voluntary and involuntary context switches
    long long cpuNs = 0; // time on a CPU
};

TaskTimes taskTimes(pid_t pid, const std::string& task)
{
    TaskTimes t;
    const std::string dir = "/proc/" + std::to_string(pid) + "/task/" + task;
    std::ifstream status(dir + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
            t.switches += std::atol(line.c_str() + line.find(':') + 1);
    std::ifstream schedstat(dir + "/schedstat");
    schedstat >> t.cpuNs;
    return t;
}

// CPU time of every thread alive now, in nanoseconds.
long long processCpuNs(pid_t pid)
{
    long long ns = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error))
        ns += taskTimes(pid, task.path().filename().string()).cpuNs;
    return ns;
}

void closeWindow(xcb_connection_t* c, xcb_window_t w, xcb_atom_t protocols, xcb_atom_t deleteWindow)
{
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = protocols;
    e.data.data32[0] = deleteWindow;
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(c);
}

} // namespace

int main(int argc, char** argv)
{
    double idleSeconds = 10;
    double settleSeconds = 3;
    int first = 1;
    for (; first < argc; ++first) {
        const std::string a = argv[first];
        if (a == "--idle" && first + 1 < argc)
            idleSeconds = std::atof(argv[++first]);
        else if (a == "--settle" && first + 1 < argc)
            settleSeconds = std::atof(argv[++first]);
        else if (a == "--") {
            ++first;
            break;
        } else {
            std::fprintf(stderr, "usage: %s [--idle SECONDS] [--settle SECONDS] -- PROGRAM [ARGS...]\n", argv[0]);
            return 2;
        }
    }
    if (first >= argc) {
        std::fprintf(stderr, "no program given\n");
        return 2;
    }

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the X display %s\n", std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t windowType = atom(c, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t typeSplash = atom(c, "_NET_WM_WINDOW_TYPE_SPLASH");
    const xcb_atom_t typeDialog = atom(c, "_NET_WM_WINDOW_TYPE_DIALOG");
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = atom(c, "WM_DELETE_WINDOW");
    xcb_flush(c);

    const Clock::time_point t0 = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }

    double firstWindow = -1, mainWindow = -1;
    Memory atMainWindow;
    std::map<xcb_window_t, Clock::time_point> dialogsToClose;
    int dialogsClosed = 0;
    Clock::time_point quietSince = t0;
    Clock::time_point idleStart{};
    TaskTimes mainAtStart;
    long long cpuAtStart = 0;
    bool measuring = false;
    const int fd = xcb_get_file_descriptor(c);

    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "the program ended before the measurement was done\n");
            return 1;
        }
        if (mainWindow < 0 && msSince(t0) > 60000) {
            std::fprintf(stderr, "no main window within 60 s\n");
            kill(pid, SIGTERM);
            return 1;
        }
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 5);
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            const uint8_t type = e->response_type & 0x7F;
            if (type == XCB_MAP_NOTIFY) {
                const auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (!m->override_redirect) {
                    const double at = msSince(t0);
                    if (firstWindow < 0)
                        firstWindow = at;
                    const std::vector<uint32_t> kinds = property(c, m->window, windowType, XCB_ATOM_ATOM);
                    const bool transient = !property(c, m->window, XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW).empty();
                    auto is = [&](xcb_atom_t k) {
                        for (uint32_t v : kinds)
                            if (v == k)
                                return true;
                        return false;
                    };
                    if (transient || is(typeDialog)) {
                        dialogsToClose[m->window] = Clock::now();
                    } else if (!is(typeSplash) && mainWindow < 0) {
                        mainWindow = at;
                        atMainWindow = memory(pid);
                    }
                    quietSince = Clock::now();
                }
            } else if (type == XCB_UNMAP_NOTIFY) {
                dialogsToClose.erase(reinterpret_cast<xcb_unmap_notify_event_t*>(e)->window);
                quietSince = Clock::now();
            }
            std::free(e);
        }
        for (auto& [w, when] : dialogsToClose) {
            if (Clock::now() >= when) {
                closeWindow(c, w, protocols, deleteWindow);
                when = Clock::now() + std::chrono::seconds(2);
                ++dialogsClosed;
                quietSince = Clock::now();
            }
        }
        if (mainWindow < 0)
            continue;
        if (!measuring) {
            const bool settled = dialogsToClose.empty() &&
                                 std::chrono::duration<double>(Clock::now() - quietSince).count() >= settleSeconds;
            if (settled) {
                measuring = true;
                idleStart = Clock::now();
                mainAtStart = taskTimes(pid, std::to_string(pid));
                cpuAtStart = processCpuNs(pid);
            }
            continue;
        }
        const double idle = std::chrono::duration<double>(Clock::now() - idleStart).count();
        if (idle >= idleSeconds) {
            const TaskTimes mainAtEnd = taskTimes(pid, std::to_string(pid));
            const long long cpuAtEnd = processCpuNs(pid);
            std::printf("first_window_ms=%.1f main_window_ms=%.1f memory_mib=%.1f private_dirty_mib=%.1f "
                        "wakeups_per_s=%.1f main_cpu_ms_per_s=%.3f cpu_ms_per_s=%.3f dialogs_closed=%d\n",
                        firstWindow, mainWindow, atMainWindow.residentKb / 1024.0,
                        atMainWindow.privateDirtyKb / 1024.0, (mainAtEnd.switches - mainAtStart.switches) / idle,
                        (mainAtEnd.cpuNs - mainAtStart.cpuNs) / 1e6 / idle, (cpuAtEnd - cpuAtStart) / 1e6 / idle,
                        dialogsClosed);
            break;
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    xcb_disconnect(c);
    return 0;
}

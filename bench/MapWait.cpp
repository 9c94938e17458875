// Times a program from its start until a top-level window with a given name
// is mapped, then ends it.   kelvane_map_wait <window name> <program> [args...]
// Prints the wall time and the program's CPU time (user + system, up to its
// end right after the map) in microseconds; exits 1 if the program ends first
// or nothing is mapped within 30 seconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool HasName(Display* dpy, Window w, const char* name)
{
    char* got = nullptr;
    const bool same = XFetchName(dpy, w, &got) && got && std::strcmp(got, name) == 0;
    if (got)
        XFree(got);
    return same;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <window name> <program> [args...]\n", argv[0]);
        return 2;
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    bool mapped = false;
    const int fd = ConnectionNumber(dpy);
    while (!mapped && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
        while (!mapped && XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            // Qt names a window before it maps it.
            if (ev.type == MapNotify)
                mapped = HasName(dpy, ev.xmap.window, argv[1]);
        }
        if (mapped || waitpid(child, nullptr, WNOHANG) == child)
            break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 5);
    }
    const auto end = std::chrono::steady_clock::now();
    kill(child, SIGKILL);
    rusage usage{};
    wait4(child, nullptr, 0, &usage);
    if (!mapped)
        return 1;
    const auto us = [](const timeval& t) { return t.tv_sec * 1000000LL + t.tv_usec; };
    std::printf("%lld %lld\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::microseconds>(end - start).count()),
                static_cast<long long>(us(usage.ru_utime) + us(usage.ru_stime)));
    return 0;
}

/* mapwatch: how long a program takes to put its window on the screen.

   Usage: mapwatch TITLE TIMEOUT_MS PROGRAM [ARG...]

   Selects SubstructureNotify on the root window first, then forks and execs
   PROGRAM, and waits for the MapNotify of a top-level window whose title is
   TITLE. Without a window manager a toolkit maps its top-level straight on
   the root, so that event is the moment the window appears. At that moment it
   stops the program, reads its peak resident memory (VmHWM) from /proc, kills
   it and prints one line:

       map_us=<microseconds from fork to MapNotify> cpu_us=<CPU time used by
       then, all threads> hwm_kb=<VmHWM> rss_kb=<VmRSS>

   The clock starts just before fork(), so the figure includes the exec and
   the dynamic loader as well as everything the program does before mapping.
   Exit status 0 on success, 1 when the window did not appear in time. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_us(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

/* A window can be gone by the time its title is asked for. */
static int ignore_x_errors(Display *dpy, XErrorEvent *ev)
{
    (void)dpy;
    (void)ev;
    return 0;
}

static int title_is(Display *dpy, Window w, Atom property, const char *title)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    int same = 0;
    if (XGetWindowProperty(dpy, w, property, 0, 256, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) == Success
        && data != NULL) {
        same = format == 8 && strlen(title) == count && memcmp(data, title, count) == 0;
    }
    if (data != NULL)
        XFree(data);
    return same;
}

static long status_kb(pid_t pid, const char *field)
{
    char path[64], line[256];
    long value = -1;
    size_t len = strlen(field);
    snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
    FILE *f = fopen(path, "r");
    if (f == NULL)
        return -1;
    while (fgets(line, sizeof line, f) != NULL) {
        if (strncmp(line, field, len) == 0 && line[len] == ':') {
            value = strtol(line + len + 1, NULL, 10);
            break;
        }
    }
    fclose(f);
    return value;
}

/* Time on a CPU so far, summed over the program's threads, in microseconds. */
static long long cpu_us(pid_t pid)
{
    char path[96];
    long long total = 0;
    snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
    DIR *tasks = opendir(path);
    if (tasks == NULL)
        return -1;
    struct dirent *task;
    while ((task = readdir(tasks)) != NULL) {
        if (task->d_name[0] == '.')
            continue;
        snprintf(path, sizeof path, "/proc/%d/task/%.20s/schedstat", (int)pid, task->d_name);
        FILE *f = fopen(path, "r");
        unsigned long long ns = 0;
        if (f != NULL) {
            if (fscanf(f, "%llu", &ns) == 1)
                total += (long long)(ns / 1000);
            fclose(f);
        }
    }
    closedir(tasks);
    return total;
}

int main(int argc, char *argv[])
{
    if (argc < 4) {
        fprintf(stderr, "usage: mapwatch TITLE TIMEOUT_MS PROGRAM [ARG...]\n");
        return 2;
    }
    const char *title = argv[1];
    const long long timeout_us = atoll(argv[2]) * 1000;

    /* A busy server can turn a connection away now and then; try again. */
    Display *dpy = NULL;
    for (int attempt = 0; dpy == NULL && attempt < 20; ++attempt) {
        dpy = XOpenDisplay(NULL);
        if (dpy == NULL)
            usleep(50000);
    }
    if (dpy == NULL) {
        fprintf(stderr, "mapwatch: cannot open display\n");
        return 2;
    }
    XSetErrorHandler(ignore_x_errors);
    const Atom net_wm_name = XInternAtom(dpy, "_NET_WM_NAME", False);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    const int xfd = ConnectionNumber(dpy);
    fcntl(xfd, F_SETFD, FD_CLOEXEC);

    const long long start = now_us();
    const pid_t pid = fork();
    if (pid < 0) {
        perror("mapwatch: fork");
        return 2;
    }
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        perror("mapwatch: exec");
        _exit(127);
    }

    int found = 0;
    long long mapped = 0;
    while (!found) {
        while (!found && XPending(dpy) > 0) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type != MapNotify)
                continue;
            const long long t = now_us();
            if (title_is(dpy, ev.xmap.window, net_wm_name, title)
                || title_is(dpy, ev.xmap.window, XA_WM_NAME, title)) {
                mapped = t;
                found = 1;
                /* Held still so that the memory read below is the memory at the map. */
                kill(pid, SIGSTOP);
            }
        }
        if (found)
            break;
        const long long left = start + timeout_us - now_us();
        if (left <= 0)
            break;
        struct pollfd p = {xfd, POLLIN, 0};
        if (poll(&p, 1, (int)((left + 999) / 1000)) < 0 && errno != EINTR)
            break;
        if (waitpid(pid, NULL, WNOHANG) == pid) {
            fprintf(stderr, "mapwatch: %s exited before its window appeared\n", argv[3]);
            return 1;
        }
    }

    /* Read before the program is ended, so the figure is the peak up to the map. */
    const long long cpu = cpu_us(pid);
    const long hwm = status_kb(pid, "VmHWM");
    const long rss = status_kb(pid, "VmRSS");
    kill(pid, SIGKILL);
    waitpid(pid, NULL, 0);
    XCloseDisplay(dpy);

    if (!found) {
        fprintf(stderr, "mapwatch: no window titled %s appeared\n", title);
        return 1;
    }
    printf("map_us=%lld cpu_us=%lld hwm_kb=%ld rss_kb=%ld\n", mapped - start, cpu, hwm, rss);
    return 0;
}

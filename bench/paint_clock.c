/* Times a program to its last paint on an X display.
 *   paint_clock QUIET_MS TIMEOUT_MS COMMAND [ARG ...]
 * Watches every drawing on the screen (X damage on the root window), starts
 * COMMAND, and waits until nothing has been drawn for QUIET_MS after the
 * first drawing (or TIMEOUT_MS have passed). Then kills COMMAND and prints
 * "PAINT_MS PEAK_RSS_KIB": the time from the start to the last drawing and
 * the largest resident size the command's process reached.
 * The damage library ships without its header here, so the few calls used
 * are declared below. */
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

typedef XID Damage;
Bool XDamageQueryExtension(Display* dpy, int* event_base, int* error_base);
Damage XDamageCreate(Display* dpy, Drawable drawable, int level);
#define DAMAGE_REPORT_RAW_RECTANGLES 0

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: paint_clock QUIET_MS TIMEOUT_MS COMMAND [ARG ...]\n");
        return 2;
    }
    double quiet = atof(argv[1]), timeout = atof(argv[2]);
    Display* dpy = XOpenDisplay(NULL);
    int damage_event, damage_error;
    if (!dpy || !XDamageQueryExtension(dpy, &damage_event, &damage_error)) {
        fprintf(stderr, "paint_clock: no display with the damage extension\n");
        return 1;
    }
    XDamageCreate(dpy, DefaultRootWindow(dpy), DAMAGE_REPORT_RAW_RECTANGLES);
    XSync(dpy, False);
    while (XPending(dpy)) {  /* drawings from before the start do not count */
        XEvent e;
        XNextEvent(dpy, &e);
    }

    double start = now_ms();
    pid_t child = fork();
    if (child == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    double last = -1;
    struct pollfd pfd = {ConnectionNumber(dpy), POLLIN, 0};
    for (;;) {
        while (XPending(dpy)) {
            XEvent e;
            XNextEvent(dpy, &e);
            if (e.type == damage_event) last = now_ms();
        }
        double t = now_ms();
        if (t - start > timeout) break;
        if (last >= 0 && t - last > quiet) break;
        double wait = last >= 0 ? quiet - (t - last) : timeout - (t - start);
        poll(&pfd, 1, wait < 1 ? 1 : (int)wait);
    }
    kill(child, SIGKILL);
    int status;
    struct rusage usage;
    wait4(child, &status, 0, &usage);
    printf("%.1f %ld\n", last >= 0 ? last - start : -1.0, usage.ru_maxrss);
    XCloseDisplay(dpy);
    return 0;
}

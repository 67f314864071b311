// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * mapwatch — time from exec() to the map of a program's top-level window,
 * and the program's peak resident memory.
 *
 *   mapwatch [-s] [-t SECONDS] TITLE COMMAND [ARG...]
 *
 *   -s          TITLE matches any window title that contains it (default: equal)
 *   -t SECONDS  give up after this long without a matching window (default 60)
 *
 * Needs $DISPLAY.  Build: cc -O2 -o mapwatch mapwatch.c -lxcb
 *
 * How: connect to the X server and select SubstructureNotify on the root
 * window; fork a child that waits on a pipe; take CLOCK_MONOTONIC (t0) and
 * release the child, which calls execvp() at once.  Each MapNotify of a
 * child of the root (a top-level window; there is no window manager, so no
 * reparenting) is checked: its _NET_WM_NAME (UTF-8) or WM_NAME must match
 * TITLE.  A window mapped before its title is set is watched for property
 * changes, and counts when the title arrives.  The time of that event (t1)
 * is taken when mapwatch reads it.  The program then runs one more second,
 * gets SIGTERM (SIGKILL two seconds later if still alive), and ru_maxrss
 * from wait4() is its peak RSS (largest of it and its reaped children).
 *
 * Prints one line:  map_ms=<t1-t0> cpu_ms=<CPU> maxrss_mib=<peak RSS>
 * where CPU is the user+system time of all the program's threads up to t1
 * (from /proc/PID/stat, in clock ticks of 10 ms): unlike map_ms it hardly
 * moves when other processes compete for the cores.
 * Exit status 0 on success, 2 on timeout, 3 if the program exited first,
 * 1 on other errors.
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static xcb_connection_t *conn;
static xcb_atom_t net_wm_name, utf8_string;
static const char *want;
static int substring;

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

static xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
        conn, xcb_intern_atom(conn, 0, strlen(name), name), NULL);
    xcb_atom_t a = r ? r->atom : XCB_ATOM_NONE;
    free(r);
    return a;
}

/* Does the window's property (a title) match TITLE? */
static int prop_matches(xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    xcb_get_property_reply_t *r = xcb_get_property_reply(
        conn, xcb_get_property(conn, 0, w, prop, type, 0, 4096), NULL);
    int ok = 0;
    if (r && r->format == 8) {
        int len = xcb_get_property_value_length(r);
        char *s = strndup(xcb_get_property_value(r), len);
        ok = s && (substring ? strstr(s, want) != NULL : strcmp(s, want) == 0);
        free(s);
    }
    free(r);
    return ok;
}

static int title_matches(xcb_window_t w)
{
    return prop_matches(w, net_wm_name, utf8_string) ||
           prop_matches(w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
}

/* User+system CPU time of all threads of PID so far, in ms. */
static double cpu_ms(pid_t pid)
{
    char path[64], buf[1024];
    unsigned long ut = 0, st = 0;
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE *f = fopen(path, "r");
    if (f && fgets(buf, sizeof buf, f)) {
        char *p = strrchr(buf, ')');      /* skip "pid (comm)" */
        if (p)
            sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &ut, &st);
    }
    if (f)
        fclose(f);
    return (ut + st) * 1e3 / sysconf(_SC_CLK_TCK);
}

static void stop(pid_t pid, struct rusage *ru)
{
    int status;
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; i++) {        /* up to 2 s */
        if (wait4(pid, &status, WNOHANG, ru) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    wait4(pid, &status, 0, ru);
}

int main(int argc, char **argv)
{
    double timeout_s = 60;
    int opt;
    while ((opt = getopt(argc, argv, "+st:")) != -1) {
        if (opt == 's') substring = 1;
        else if (opt == 't') timeout_s = atof(optarg);
        else goto usage;
    }
    if (argc - optind < 2) {
usage:
        fprintf(stderr, "usage: mapwatch [-s] [-t SECONDS] TITLE COMMAND [ARG...]\n");
        return 1;
    }
    want = argv[optind];
    char **cmd = argv + optind + 1;

    /* Fork first, so the child's memory before exec is as small as can be. */
    int go[2];
    if (pipe2(go, O_CLOEXEC) != 0) { perror("pipe"); return 1; }
    pid_t pid = fork();
    if (pid < 0) { perror("fork"); return 1; }
    if (pid == 0) {
        char c;
        close(go[1]);
        if (read(go[0], &c, 1) != 1) _exit(127);
        execvp(cmd[0], cmd);
        perror(cmd[0]);
        _exit(127);
    }
    close(go[0]);

    conn = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(conn)) {
        fprintf(stderr, "mapwatch: cannot open display %s\n", getenv("DISPLAY"));
        kill(pid, SIGKILL);
        waitpid(pid, NULL, 0);
        return 1;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
    net_wm_name = atom("_NET_WM_NAME");
    utf8_string = atom("UTF8_STRING");
    uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t ck = xcb_change_window_attributes_checked(
        conn, root, XCB_CW_EVENT_MASK, &mask);
    free(xcb_request_check(conn, ck));     /* round trip: selection is in force */

    double t0 = now_ms();
    if (write(go[1], "x", 1) != 1) { perror("write"); return 1; }
    close(go[1]);

    double t1 = -1, deadline = t0 + timeout_s * 1e3;
    struct pollfd pfd = { xcb_get_file_descriptor(conn), POLLIN, 0 };
    struct rusage ru;
    int status, rc = 0;
    while (t1 < 0) {
        xcb_generic_event_t *ev;
        while (t1 < 0 && (ev = xcb_poll_for_event(conn))) {
            double t = now_ms();
            int type = ev->response_type & 0x7f;
            xcb_window_t w = 0;
            if (type == XCB_MAP_NOTIFY && ((xcb_map_notify_event_t *)ev)->event == root) {
                w = ((xcb_map_notify_event_t *)ev)->window;
                /* Not matching yet: follow its title changes. */
                uint32_t pmask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(conn, w, XCB_CW_EVENT_MASK, &pmask);
            } else if (type == XCB_PROPERTY_NOTIFY) {
                xcb_property_notify_event_t *p = (void *)ev;
                if (p->atom == net_wm_name || p->atom == XCB_ATOM_WM_NAME) {
                    xcb_get_window_attributes_reply_t *a = xcb_get_window_attributes_reply(
                        conn, xcb_get_window_attributes(conn, p->window), NULL);
                    if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
                        w = p->window;
                    free(a);
                }
            }
            if (w && title_matches(w))
                t1 = t;
            free(ev);
        }
        if (t1 >= 0)
            break;
        if (xcb_connection_has_error(conn)) {
            fprintf(stderr, "mapwatch: X connection lost\n");
            rc = 1;
            break;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            fprintf(stderr, "mapwatch: %s exited before mapping \"%s\"\n", cmd[0], want);
            return 3;
        }
        double left = deadline - now_ms();
        if (left <= 0) {
            fprintf(stderr, "mapwatch: no window \"%s\" after %g s\n", want, timeout_s);
            rc = 2;
            break;
        }
        poll(&pfd, 1, left < 50 ? (int)left + 1 : 50);
    }
    double cpu = rc == 0 ? cpu_ms(pid) : 0;
    if (rc == 0)
        sleep(1);
    stop(pid, &ru);
    if (rc != 0)
        return rc;
    printf("map_ms=%.1f cpu_ms=%.0f maxrss_mib=%.1f\n", t1 - t0, cpu, ru.ru_maxrss / 1024.0);
    xcb_disconnect(conn);
    return 0;
}

// Starts a program and measures, in milliseconds, the time until its first page is painted on the X
// display: until the region where both the reader and the bare view draw the page's first lines
// holds enough dark pixels (text). Then it ends the program. With TAVLO_MEMORY_AFTER_MS set, it waits
// that long after the page is painted and prints, after the time, the program's private memory in
// kilobytes: Private_Dirty and Anonymous of /proc/PID/smaps_rollup.
//   tavlo_firstpaint TIMEOUT_MS PROGRAM ARGS...
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// Where the first lines of a page stand in both programs' windows, in pixels of the root window.
constexpr int kLeft = 20, kTop = 40, kWidth = 600, kHeight = 160;
constexpr int kDarkPixels = 200;

int darkPixels(Display *display, Window root)
{
    XImage *image = XGetImage(display, root, kLeft, kTop, kWidth, kHeight, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    int dark = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const int luma = (int((p >> 16) & 0xff) * 299 + int((p >> 8) & 0xff) * 587 + int(p & 0xff) * 114) / 1000;
            dark += luma < 96;
        }
    XDestroyImage(image);
    return dark;
}

long privateKilobytes(pid_t pid)
{
    char name[64];
    std::snprintf(name, sizeof name, "/proc/%d/smaps_rollup", int(pid));
    FILE *file = std::fopen(name, "r");
    if (!file)
        return -1;
    long total = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        long kilobytes = 0;
        if (std::sscanf(line, "Private_Dirty: %ld kB", &kilobytes) == 1 ||
            std::sscanf(line, "Anonymous: %ld kB", &kilobytes) == 1)
            total += kilobytes;
    }
    std::fclose(file);
    return total;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const auto limit = std::chrono::milliseconds(std::atoi(argv[1]));
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 2;
    const Window root = DefaultRootWindow(display);
    if (darkPixels(display, root) >= kDarkPixels) {
        std::fprintf(stderr, "the screen is not blank before the start\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 1;
    while (std::chrono::steady_clock::now() - start < limit) {
        if (darkPixels(display, root) >= kDarkPixels) {
            const auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
            if (const char *after = std::getenv("TAVLO_MEMORY_AFTER_MS")) {
                std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(after)));
                std::printf("%.1f %ld\n", ms.count(), privateKilobytes(child));
            } else {
                std::printf("%.1f\n", ms.count());
            }
            status = 0;
            break;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "%s ended before its page was painted\n", argv[2]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    // Let the display clear before the next start.
    XCloseDisplay(display);
    return status;
}

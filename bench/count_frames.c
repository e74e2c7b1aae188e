/* Loaded into the editor and the floor alike (LD_PRELOAD): counts the
 * frames, as the returns from the library's vsync, keeps the library's own
 * retrace count beside them and the times of the latest frames, in a small
 * file that the benchmark reads while the program runs. BENCH_FRAMES names
 * the file. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#define KEPT_FRAMES 8192 /* about two minutes at 70 frames a second */

struct frame_counts {
    volatile int64_t frames;   /* vsync calls returned */
    volatile int64_t retraces; /* the library's retrace_count at the last one */
    volatile int64_t frame_ns[KEPT_FRAMES]; /* CLOCK_MONOTONIC at frame n, at n % KEPT_FRAMES */
};

static struct frame_counts *counts;
static void (*real_vsync)(void);
static volatile int *retrace_count;

static void open_counts(void)
{
    const char *path = getenv("BENCH_FRAMES");
    int fd;
    if (!path || (fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0644)) < 0)
        return;
    if (ftruncate(fd, sizeof *counts) == 0) {
        void *p = mmap(NULL, sizeof *counts, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (p != MAP_FAILED)
            counts = p;
    }
    close(fd);
}

void vsync(void)
{
    if (!real_vsync) {
        real_vsync = (void (*)(void))dlsym(RTLD_NEXT, "vsync");
        retrace_count = (volatile int *)dlsym(RTLD_NEXT, "retrace_count");
        open_counts();
    }
    real_vsync();
    if (!counts)
        return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    counts->retraces = retrace_count ? *retrace_count : 0;
    counts->frame_ns[counts->frames % KEPT_FRAMES] = (int64_t)now.tv_sec * 1000000000 + now.tv_nsec;
    counts->frames = counts->frames + 1;
}

/* Runs one command and prints what the kernel accounted to that process alone:
 *
 *   benchmark_spawn COMMAND [ARGUMENT...]
 *   -> <wait status> <user us> <system us> <peak resident KiB> <wall ns>
 *
 * The benchmark's own helper, built by scripts/benchmark.py; not part of the tool.
 *
 * Why not time the child from Python: when a process replaces its image, the kernel carries the
 * peak resident size of the old image into the new one's ru_maxrss. A child of the Python
 * interpreter would report at least the interpreter's 10 MiB or more; a child forked from this
 * small static program starts from a few hundred KiB, below anything the benchmark measures.
 * fork, not vfork: a vfork child would inherit the whole of this process's image. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long Nanoseconds(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

static long long Microseconds(struct timeval time) {
  return (long long)time.tv_sec * 1000000LL + time.tv_usec;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: benchmark_spawn COMMAND [ARGUMENT...]\n");
    return 2;
  }
  long long start = Nanoseconds();
  pid_t child = fork();
  if (child == -1) {
    perror("fork");
    return 2;
  }
  if (child == 0) {
    /* The tool's progress lines are not what is measured; /dev/null takes them as a console
     * would, one write per line. */
    int null = open("/dev/null", O_WRONLY);
    if (null == -1 || dup2(null, STDOUT_FILENO) == -1) {
      _exit(126);
    }
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) == -1) {
    perror("wait4");
    return 2;
  }
  long long wall = Nanoseconds() - start;
  printf("%d %lld %lld %ld %lld\n", status, Microseconds(usage.ru_utime),
         Microseconds(usage.ru_stime), usage.ru_maxrss, wall);
  return 0;
}

/* Runs one command and reports its cost.
 *
 *   measure REPORT COMMAND [ARG...]
 *
 * Standard input and output are passed on to COMMAND; its standard error goes
 * to the null device. When COMMAND has ended, one line is written to the file
 * REPORT: wall seconds, user + system CPU seconds, peak resident set in KiB
 * and the exit status. The harness uses this small program rather than
 * forking itself because a child's peak resident set counts the memory of
 * the process it was forked from. */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Seconds(struct timeval tv) {
  return (double)tv.tv_sec + (double)tv.tv_usec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: measure REPORT COMMAND [ARG...]\n");
    return 2;
  }
  struct timespec start, stop;
  clock_gettime(CLOCK_MONOTONIC, &start);
  pid_t pid = fork();
  if (pid < 0) {
    perror("measure: fork");
    return 2;
  }
  if (pid == 0) {
    int err = open("/dev/null", O_WRONLY);
    if (err >= 0) dup2(err, 2);
    execvp(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(pid, &status, 0, &usage) < 0) {
    perror("measure: wait4");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &stop);
  double wall = (double)(stop.tv_sec - start.tv_sec) + (double)(stop.tv_nsec - start.tv_nsec) / 1e9;
  int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  FILE* report = fopen(argv[1], "w");
  if (!report) {
    perror(argv[1]);
    return 2;
  }
  fprintf(report, "%.6f %.6f %ld %d\n", wall, Seconds(usage.ru_utime) + Seconds(usage.ru_stime),
          usage.ru_maxrss, code);
  return fclose(report) == 0 ? 0 : 2;
}

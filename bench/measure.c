/* Runs commands several times, taking turns, and prints for each command the medians of its wall
 * time, its CPU time (user and system), its peak resident memory and the ratio of its wall time
 * to the last command's in each turn, as "wall_us cpu_us peak_kib ratio_per_mille", one line per
 * command in the order given. Taking turns lets every command meet the same load.
 *
 * Usage: measure RUNS INPUT null|pipe [--clock-file FILE FIRST THEN DELAY_MS] -- COMMAND...
 *                [-- COMMAND...]...
 *
 * Standard input comes from the file INPUT. Standard output goes to /dev/null, or through a pipe
 * that this program drains. With --clock-file, FILE holds FIRST when each run starts and is
 * rewritten to THEN DELAY_MS milliseconds later: libfaketime reads the game's clock from it.
 */
#define _GNU_SOURCE /* NOLINT(bugprone-reserved-identifier): the feature-test macro for wait4 */
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kMaxRuns = 201, kMaxCommands = 4 };

struct ClockFile {
  const char* path;
  const char* first;
  const char* then;
  long delay_ms;
};

static long long NowMicros(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (long long)now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

static void Die(const char* what) {
  perror(what);
  exit(2);
}

static void WriteFile(const char* path, const char* text) {
  FILE* file = fopen(path, "w");
  if (file == NULL) Die(path);
  fprintf(file, "%s\n", text);
  if (fclose(file) != 0) Die(path);
}

static int CompareLongLong(const void* a, const void* b) {
  const long long x = *(const long long*)a;
  const long long y = *(const long long*)b;
  return (x > y) - (x < y);
}

static long long Median(long long* values, int count) {
  qsort(values, (size_t)count, sizeof values[0], CompareLongLong);
  return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

/* Reads and discards what the child writes until it closes the pipe; the clock file, if any, is
 * moved on when its moment comes. */
static void Drain(int pipe_fd, const struct ClockFile* clock, long long started) {
  static char sink[1 << 16];
  int clock_moved = clock->path == NULL;
  for (;;) {
    int timeout = -1;
    if (!clock_moved) {
      const long long left = started + clock->delay_ms * 1000 - NowMicros();
      timeout = left > 0 ? (int)((left + 999) / 1000) : 0;
    }
    struct pollfd ready = {.fd = pipe_fd, .events = POLLIN};
    const int polled = poll(&ready, 1, timeout);
    if (polled == 0) {
      WriteFile(clock->path, clock->then);
      clock_moved = 1;
      continue;
    }
    if (polled < 0) Die("poll");
    if (read(pipe_fd, sink, sizeof sink) <= 0) break;
  }
  if (!clock_moved) WriteFile(clock->path, clock->then);
}

/* Runs the command once; fills in its wall time, CPU time and peak memory. */
static void RunOnce(char** command, const char* input, int to_pipe, const struct ClockFile* clock,
                    long long* wall_us, long long* cpu_us, long long* peak_kib) {
  if (clock->path != NULL) WriteFile(clock->path, clock->first);
  int pipe_fds[2] = {-1, -1};
  if (to_pipe && pipe(pipe_fds) != 0) Die("pipe");
  const long long started = NowMicros();
  const pid_t child = fork();
  if (child < 0) Die("fork");
  if (child == 0) {
    const int in = open(input, O_RDONLY);
    const int out = to_pipe ? pipe_fds[1] : open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0) _exit(126);
    if (to_pipe) close(pipe_fds[0]);
    execvp(command[0], command);
    _exit(127);
  }
  if (to_pipe) {
    close(pipe_fds[1]);
    Drain(pipe_fds[0], clock, started);
    close(pipe_fds[0]);
  } else if (clock->path != NULL) {
    const struct timespec delay = {clock->delay_ms / 1000, clock->delay_ms % 1000 * 1000000};
    nanosleep(&delay, NULL);
    WriteFile(clock->path, clock->then);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) != child) Die("wait4");
  *wall_us = NowMicros() - started;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "measure: %s did not end with status 0\n", command[0]);
    exit(2);
  }
  *cpu_us = (long long)usage.ru_utime.tv_sec * 1000000 + usage.ru_utime.tv_usec +
            (long long)usage.ru_stime.tv_sec * 1000000 + usage.ru_stime.tv_usec;
  *peak_kib = usage.ru_maxrss;
}

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr,
            "usage: measure RUNS INPUT null|pipe [--clock-file FILE FIRST THEN MS] -- CMD"
            " [-- CMD]...\n");
    return 2;
  }
  const int runs = atoi(argv[1]);
  const char* input = argv[2];
  const int to_pipe = strcmp(argv[3], "pipe") == 0;
  struct ClockFile clock = {0};
  int next = 4;
  if (strcmp(argv[next], "--clock-file") == 0 && argc > next + 5) {
    clock =
        (struct ClockFile){argv[next + 1], argv[next + 2], argv[next + 3], atol(argv[next + 4])};
    next += 5;
  }
  if (runs < 1 || runs > kMaxRuns || strcmp(argv[next], "--") != 0) {
    fprintf(stderr, "measure: bad arguments\n");
    return 2;
  }
  /* Split the rest at each "--" into the commands, ending each with the NULL execvp wants. */
  char** commands[kMaxCommands];
  int command_count = 0;
  for (int i = next; i < argc; ++i) {
    if (strcmp(argv[i], "--") != 0) continue;
    argv[i] = NULL;
    if (command_count == kMaxCommands || i + 1 == argc) {
      fprintf(stderr, "measure: bad arguments\n");
      return 2;
    }
    commands[command_count++] = argv + i + 1;
  }
  static long long walls[kMaxCommands][kMaxRuns];
  static long long cpus[kMaxCommands][kMaxRuns];
  static long long peaks[kMaxCommands][kMaxRuns];
  for (int run = 0; run < runs; ++run) {
    for (int c = 0; c < command_count; ++c) {
      RunOnce(commands[c], input, to_pipe, &clock, &walls[c][run], &cpus[c][run], &peaks[c][run]);
    }
  }
  /* Each command's wall time over the last command's in the same turn, in thousandths: a ratio
   * taken turn by turn cancels a load that changes more slowly than a turn. */
  static long long ratios[kMaxCommands][kMaxRuns];
  const int last = command_count - 1;
  for (int c = 0; c < command_count; ++c) {
    for (int run = 0; run < runs; ++run) {
      ratios[c][run] = walls[last][run] > 0 ? walls[c][run] * 1000 / walls[last][run] : 0;
    }
    printf("%lld %lld %lld %lld\n", Median(walls[c], runs), Median(cpus[c], runs),
           Median(peaks[c], runs), Median(ratios[c], runs));
  }
  return 0;
}

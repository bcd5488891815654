/* Times whole runs of several programs side by side:
 *   qm_wholerun RUNS -- LABEL PROGRAM ARGS... [-- LABEL PROGRAM ARGS...]...
 * Each round runs every program once, the order rotating from round to
 * round so that all see the same machine; two warm-up rounds are not
 * counted. Per run it takes the CPU time (user + system) and peak resident
 * memory that wait4 reports for the child, and the wall time from fork to
 * reaped child. Prints a Markdown table: medians with their interquartile
 * range, and each program's ratios to the first program, taken per round
 * (paired) and summarised the same way. The runner is plain C and small,
 * because a forked child's peak memory counts the runner's own pages until
 * exec. Exits 1 when any run fails (non-zero status or signal). */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#define MAX_PROGRAMS 8
#define WARMUP_ROUNDS 2

struct program {
  const char* label;
  char** argv;
  double* cpu;   /* ms per counted run */
  double* wall;  /* ms */
  double* rss;   /* KiB */
};

static int compare(const void* a, const void* b) {
  double x = *(const double*)a, y = *(const double*)b;
  return x < y ? -1 : x > y;
}

/* Quantile q of n values (sorted copy, linear interpolation). */
static double quantile(const double* values, int n, double q) {
  double* sorted = malloc(sizeof(double) * (size_t)n);
  memcpy(sorted, values, sizeof(double) * (size_t)n);
  qsort(sorted, (size_t)n, sizeof(double), compare);
  double pos = q * (n - 1);
  int low = (int)pos;
  double frac = pos - low;
  double value = low + 1 < n ? sorted[low] * (1 - frac) + sorted[low + 1] * frac
                             : sorted[low];
  free(sorted);
  return value;
}

/* Runs one program; returns 0 and fills the three figures, -1 on failure. */
static int run_once(const struct program* p, double* cpu, double* wall,
                    double* rss) {
  struct timespec t0, t1;
  clock_gettime(CLOCK_MONOTONIC, &t0);
  pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
      dup2(null_fd, 1);
      dup2(null_fd, 2);
    }
    execv(p->argv[0], p->argv);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (wait4(child, &status, 0, &usage) != child) return -1;
  clock_gettime(CLOCK_MONOTONIC, &t1);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "qm_wholerun: %s failed (status %d)\n", p->label, status);
    return -1;
  }
  *cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
  *wall = (t1.tv_sec - t0.tv_sec) * 1e3 + (t1.tv_nsec - t0.tv_nsec) / 1e6;
  *rss = (double)usage.ru_maxrss;
  return 0;
}

static void print_spread(const double* values, int n, const char* format) {
  printf(" ");
  printf(format, quantile(values, n, 0.5));
  printf(" (");
  printf(format, quantile(values, n, 0.25));
  printf("–");
  printf(format, quantile(values, n, 0.75));
  printf(") |");
}

int main(int argc, char** argv) {
  if (argc < 5 || strcmp(argv[2], "--") != 0) {
    fprintf(stderr, "usage: qm_wholerun RUNS -- LABEL PROGRAM ARGS... [-- ...]\n");
    return 2;
  }
  int runs = atoi(argv[1]);
  if (runs < 1) runs = 1;
  struct program programs[MAX_PROGRAMS];
  int count = 0;
  for (int i = 2; i < argc && count < MAX_PROGRAMS; ++i) {
    if (strcmp(argv[i], "--") != 0 || i + 2 >= argc) continue;
    argv[i] = NULL; /* terminates the previous program's arguments */
    programs[count].label = argv[i + 1];
    programs[count].argv = &argv[i + 2];
    programs[count].cpu = calloc((size_t)runs, sizeof(double));
    programs[count].wall = calloc((size_t)runs, sizeof(double));
    programs[count].rss = calloc((size_t)runs, sizeof(double));
    ++count;
    i += 2;
  }
  if (count == 0) return 2;

  for (int round = -WARMUP_ROUNDS; round < runs; ++round) {
    for (int j = 0; j < count; ++j) {
      int k = ((round < 0 ? 0 : round) + j) % count;
      double cpu, wall, rss;
      if (run_once(&programs[k], &cpu, &wall, &rss) != 0) return 1;
      if (round >= 0) {
        programs[k].cpu[round] = cpu;
        programs[k].wall[round] = wall;
        programs[k].rss[round] = rss;
      }
    }
  }

  printf("| Program | CPU ms | Wall ms | Peak RSS KiB | CPU ratio | Wall ratio | RSS ratio |\n");
  printf("|---|---|---|---|---|---|---|\n");
  double* ratio = calloc((size_t)runs, sizeof(double));
  for (int k = 0; k < count; ++k) {
    const struct program* p = &programs[k];
    printf("| %s |", p->label);
    print_spread(p->cpu, runs, "%.2f");
    print_spread(p->wall, runs, "%.2f");
    print_spread(p->rss, runs, "%.0f");
    const double* mine[3] = {p->cpu, p->wall, p->rss};
    const double* base[3] = {programs[0].cpu, programs[0].wall, programs[0].rss};
    for (int m = 0; m < 3; ++m) {
      for (int r = 0; r < runs; ++r) ratio[r] = mine[m][r] / base[m][r];
      print_spread(ratio, runs, "%.2f");
    }
    printf("\n");
  }
  printf("\n%d counted rounds (after %d warm-up rounds), order rotating per round; "
         "median (interquartile range); ratios to %s, paired per round.\n",
         runs, WARMUP_ROUNDS, programs[0].label);
  return 0;
}

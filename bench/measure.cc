// Times the converters against `cat` on the benchmark inputs.
//
//   bench_measure RUNS WORK_DIR  NAME PROGRAM FILE  [NAME PROGRAM FILE ...]
//
// For every case it runs `cat FILE FILE > /dev/null` and `PROGRAM FILE
// WORK_DIR/Tracks.bin > /dev/null` RUNS times each, alternating, after one
// untimed run of each to warm the page cache.  It prints one table row per
// case: the input size, the median wall time of the converter, its
// throughput, the median time of the two cats, the ratio of the two medians
// and the converter's peak resident memory (the largest ru_maxrss of its
// runs).  A converter reads its input twice, so reading the file twice is
// the floor it is compared with.  A PROGRAM that does not exist is reported
// as "not built".
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

struct Outcome {
  double seconds;
  long max_rss_kib;
  int status;  // exit status, or -1 when killed by a signal or not started
};

double now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs a program with its standard output (and error) sent to /dev/null.
Outcome run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  double start = now();
  pid_t pid = fork();
  if (pid < 0) return Outcome{0, 0, -1};
  if (pid == 0) {
    // The child starts as a copy of this process, and the kernel carries its
    // peak resident size over the exec.  Reset the peak to what the copy
    // holds now so that the measurement tells the program's own peak.
    int clear = open("/proc/self/clear_refs", O_WRONLY);
    if (clear >= 0) {
      if (write(clear, "5", 1) != 1) {
        // Not supported here; the peak then includes this copy.
      }
      close(clear);
    }
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int wstatus = 0;
  rusage usage{};
  if (wait4(pid, &wstatus, 0, &usage) < 0) return Outcome{0, 0, -1};
  double seconds = now() - start;
  int status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  return Outcome{seconds, usage.ru_maxrss, status};
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

bool is_executable(const std::string& path) {
  return access(path.c_str(), X_OK) == 0;
}

constexpr double kMiB = 1024.0 * 1024.0;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6 || (argc - 3) % 3 != 0) {
    std::fprintf(stderr,
                 "usage: bench_measure RUNS WORK_DIR NAME PROGRAM FILE ...\n");
    return 1;
  }
  int runs = std::atoi(argv[1]);
  if (runs < 1) runs = 1;
  std::string output = std::string(argv[2]) + "/Tracks.bin";
  bool failed = false;

  // The floor of the memory column: a program that does nothing.
  Outcome idle = run({"true"});
  std::printf("peak RSS of `true` on this machine: %.2f MiB\n\n",
              static_cast<double>(idle.max_rss_kib) / 1024.0);

  std::printf("%-9s %-7s %9s %9s %9s %9s %7s %9s\n", "input", "program",
              "size MiB", "median s", "MiB/s", "2xcat s", "ratio",
              "peak RSS");
  for (int i = 3; i + 2 < argc; i += 3) {
    std::string name = argv[i];
    std::string program = argv[i + 1];
    std::string file = argv[i + 2];
    const char* program_name = std::strrchr(program.c_str(), '/');
    program_name = program_name != nullptr ? program_name + 1 : program.c_str();
    struct stat st;
    if (stat(file.c_str(), &st) != 0) {
      std::printf("%-9s %-7s missing input %s\n", name.c_str(), program_name,
                  file.c_str());
      failed = true;
      continue;
    }
    double size_mib = static_cast<double>(st.st_size) / kMiB;
    std::vector<std::string> cat = {"cat", file, file};
    std::vector<std::string> convert = {program, file, output};
    if (!is_executable(program)) {
      std::printf("%-9s %-7s %9.1f   not built\n", name.c_str(), program_name,
                  size_mib);
      continue;
    }

    run(cat);  // warm the page cache
    Outcome warm = run(convert);
    if (warm.status != 0) {
      std::printf("%-9s %-7s %9.1f   failed with status %d\n", name.c_str(),
                  program_name, size_mib, warm.status);
      failed = true;
      continue;
    }
    std::vector<double> cat_times, times;
    long peak = warm.max_rss_kib;
    for (int r = 0; r < runs; ++r) {
      cat_times.push_back(run(cat).seconds);
      Outcome o = run(convert);
      times.push_back(o.seconds);
      peak = std::max(peak, o.max_rss_kib);
      if (o.status != 0) failed = true;
    }
    double t = median(times);
    double c = median(cat_times);
    std::printf("%-9s %-7s %9.1f %9.3f %9.1f %9.3f %7.2f %5.2f MiB\n",
                name.c_str(), program_name, size_mib, t, size_mib / t, c,
                t / c, static_cast<double>(peak) / 1024.0);
    std::fflush(stdout);
  }
  return failed ? 1 : 0;
}

// Running a converter as a separate process, the way users and scripts do.
//
// The environment can point the same tests at another build of the programs:
//   TRACKS_PROGRAM_DIR     folder that holds the programs (default: this
//                          build's bin/)
//   TRACKS_PROGRAM_SUFFIX  appended to each program's name, e.g. ".exe"
//   TRACKS_LAUNCHER        command that starts them, e.g. "wine"
// A program started through a launcher is a Windows build: its standard
// output is in text mode and ends lines with CR LF, which run_program turns
// back into LF.  That is the only difference the tests allow.
#ifndef TRACKS_TESTS_E2E_PROGRAM_RUNNER_H_
#define TRACKS_TESTS_E2E_PROGRAM_RUNNER_H_

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tracks {

struct ProgramRun {
  int status = -1;     // exit status
  std::string output;  // everything the program wrote to standard output
  long peak_rss_kib = 0;  // the process's peak resident memory
};

// Path of a built program by its name ("Tarrow", "Keswin", "Ralder").
std::string program_path(const std::string& name);

// True when the programs run through TRACKS_LAUNCHER (a Windows build).
bool through_launcher();

// Runs `program` with `args` in the folder `workdir`, feeding `input` to its
// standard input.  `environment` holds "NAME=value" entries set for the
// program on top of the tests' own environment.
ProgramRun run_program(const std::string& program,
                       const std::vector<std::string>& args,
                       const std::string& workdir,
                       const std::string& input = "",
                       const std::vector<std::string>& environment = {});

// The three progress lines that every run with a good command line prints
// first.
std::string progress(const std::string& input, const std::string& output,
                     int distance);

// The expected image: slots of (longitude code, latitude code, track start).
struct ExpectedSlot {
  std::int64_t longitude_code;
  std::int64_t latitude_code;
  bool starts_track;
};
std::string expected_image(const std::vector<ExpectedSlot>& slots);

// The walk that most fixtures hold, in every format: 55.75,37.62 and
// 55.751,37.621 (about 150 m apart), then 56,38 (30 km on).  At the default
// break distance it makes two tracks: its image slots and the lines that
// announce them.
extern const std::vector<ExpectedSlot> kThreePoints;
extern const char kThreeTracks[];

// A fresh temporary folder for each test, removed afterwards.
class ProgramTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  void write_file(const std::string& name, const std::string& bytes) const;
  std::string read_file(const std::string& name) const;
  bool exists(const std::string& name) const;

  ProgramRun run(const std::vector<std::string>& args,
                 const std::string& input = "") const {
    return run_program(program_path(program_), args, dir_, input);
  }
  ProgramRun run_in_environment(const std::vector<std::string>& environment,
                                const std::vector<std::string>& args) const {
    return run_program(program_path(program_), args, dir_, "", environment);
  }

  // Makes the named pipe `name` in the test folder, runs the program with
  // `args` and writes `bytes` into the pipe once the program has opened it.
  // A named pipe is what both Linux and Windows programs can be given as an
  // input file that cannot seek.
  ProgramRun run_with_named_pipe(const std::string& name,
                                 const std::string& bytes,
                                 const std::vector<std::string>& args) const;

  // Writes `bytes` into the input `input` and earlier bytes into out.bin,
  // converts one into the other, and checks the status, what follows the
  // progress lines, and that out.bin is left as it was.
  void expect_input_failure(const std::string& input, const std::string& bytes,
                            int status, const std::string& message,
                            const std::string& label) const;

  // Every bad command line (no argument, an unknown option anywhere, a lone
  // slash or hyphen, a third name) prints `usage` alone, ends with status 1
  // and writes nothing.  `input` names a good input file.
  void expect_usage_for_bad_command_lines(const std::string& input,
                                          const std::string& usage) const;

  // `input` converts, but the output cannot be opened (a folder, a missing
  // folder: status 2) or written (/dev/full: status 3).  `converted` is what
  // the run prints between the progress lines and the failure.
  void expect_output_failures(const std::string& input,
                              const std::string& converted) const;

  std::string program_ = "Tarrow";
  std::string dir_;
};

}  // namespace tracks

#endif  // TRACKS_TESTS_E2E_PROGRAM_RUNNER_H_

#include "tests/e2e/program_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tracks {

std::string program_path(const std::string& name) {
  // TRACKS_PROGRAM_DIR in the environment points the tests at other builds
  // of the same programs.
  const char* dir = std::getenv("TRACKS_PROGRAM_DIR");
  return std::string(dir != nullptr ? dir : TRACKS_PROGRAM_DIR) + "/" + name;
}

ProgramRun run_program(const std::string& program,
                       const std::vector<std::string>& args,
                       const std::string& workdir, const std::string& input) {
  int out_pipe[2];
  int in_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(in_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> command = {program};
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    close(in_pipe[0]);
    close(in_pipe[1]);
    close(out_pipe[0]);
    close(out_pipe[1]);
    if (chdir(workdir.c_str()) != 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  // Test inputs are small enough for the pipe's buffer.  A program may end
  // without reading its input (Ralder reads nothing before it finds that a
  // pipe cannot tell its position); the write then fails instead of killing
  // the test.
  std::signal(SIGPIPE, SIG_IGN);
  if (!input.empty()) {
    ssize_t written = write(in_pipe[1], input.data(), input.size());
    (void)written;
  }
  close(in_pipe[1]);

  ProgramRun run;
  char buffer[4096];
  ssize_t n;
  while ((n = read(out_pipe[0], buffer, sizeof buffer)) > 0) {
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  close(out_pipe[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

std::string progress(const std::string& input, const std::string& output,
                     int distance) {
  return "Input  file: " + input + " \nOutput file: " + output +
         " \nTrack breaking distance: " + std::to_string(distance) + " \n";
}

std::string expected_image(const std::vector<ExpectedSlot>& slots) {
  std::string bytes(80008, '\0');
  auto put = [&bytes](std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes[offset + i] = static_cast<char>(value >> (8 * i));
    }
  };
  put(0, static_cast<std::uint32_t>(slots.size()));
  for (std::size_t i = 0; i < slots.size(); ++i) {
    put(8 + 8 * i, static_cast<std::uint32_t>(slots[i].longitude_code));
    std::uint32_t latitude =
        static_cast<std::uint32_t>(slots[i].latitude_code) & 0x7FFFFFFFu;
    if (slots[i].starts_track) latitude |= 0x80000000u;
    put(12 + 8 * i, latitude);
  }
  return bytes;
}

void ProgramTest::SetUp() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "tracks-e2e-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) FAIL() << "mkdtemp failed";
  dir_ = pattern;
}

void ProgramTest::TearDown() { std::filesystem::remove_all(dir_); }

void ProgramTest::write_file(const std::string& name,
                             const std::string& bytes) const {
  std::ofstream out(path(name), std::ios::binary);
  out << bytes;
}

std::string ProgramTest::read_file(const std::string& name) const {
  std::ifstream in(path(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

bool ProgramTest::exists(const std::string& name) const {
  return std::filesystem::exists(path(name));
}

}  // namespace tracks

#include "tests/e2e/program_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tracks {

namespace {

std::string environment_value(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// CR LF to LF, and nothing else: a lone CR is the program's own byte.
std::string text_mode_to_lf(const std::string& text) {
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lf += text[i];
  }
  return lf;
}

}  // namespace

std::string program_path(const std::string& name) {
  std::string dir = environment_value("TRACKS_PROGRAM_DIR");
  if (dir.empty()) dir = TRACKS_PROGRAM_DIR;
  return dir + "/" + name + environment_value("TRACKS_PROGRAM_SUFFIX");
}

bool through_launcher() { return !environment_value("TRACKS_LAUNCHER").empty(); }

ProgramRun run_program(const std::string& program,
                       const std::vector<std::string>& args,
                       const std::string& workdir, const std::string& input,
                       const std::vector<std::string>& environment) {
  // A program may end before it has read its input (Ralder reads nothing
  // before it finds that a pipe cannot tell its position); the write then
  // fails instead of taking the tests down.
  signal(SIGPIPE, SIG_IGN);
  int out_pipe[2];
  int in_pipe[2];
  if (pipe(out_pipe) != 0 || pipe(in_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> command;
  if (through_launcher()) command.push_back(environment_value("TRACKS_LAUNCHER"));
  command.push_back(program);
  command.insert(command.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    signal(SIGPIPE, SIG_DFL);
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    close(in_pipe[0]);
    close(in_pipe[1]);
    close(out_pipe[0]);
    close(out_pipe[1]);
    for (const std::string& entry : environment) {
      std::size_t equals = entry.find('=');
      if (equals == std::string::npos) _exit(125);
      setenv(entry.substr(0, equals).c_str(), entry.c_str() + equals + 1, 1);
    }
    if (chdir(workdir.c_str()) != 0) _exit(126);
    // The kernel carries the peak resident size over the exec; start it
    // from this copy's present size so that it tells the program's own.
    int clear = open("/proc/self/clear_refs", O_WRONLY);
    if (clear >= 0) {
      ssize_t reset = write(clear, "5", 1);
      (void)reset;
      close(clear);
    }
    // The launcher is looked up on PATH; a program is run by its path.
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  // Test inputs are small enough for the pipe's buffer.
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
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  run.peak_rss_kib = usage.ru_maxrss;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (through_launcher()) run.output = text_mode_to_lf(run.output);
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

const std::vector<ExpectedSlot> kThreePoints = {
    {448824082, 665123408, true},
    {448836013, 665135338, false},
    {453357659, 668106024, true}};

const char kThreeTracks[] =
    "Track 1 start at 55.750000 , 37.620000 \n"
    "Track 2 start at 56.000000 , 38.000000 \n";

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

ProgramRun ProgramTest::run_with_named_pipe(
    const std::string& name, const std::string& bytes,
    const std::vector<std::string>& args) const {
  std::string fifo = path(name);
  if (bytes.empty() || bytes.size() > 4096) {
    throw std::invalid_argument("the bytes must fit a pipe's buffer");
  }
  if (mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
  // Opened for reading and writing, the pipe takes the bytes at once and
  // stays open for writing, so that the program finds them there whenever it
  // opens the pipe.  Once it has read them all, the pipe is closed and the
  // program sees the end of its input.
  int fd = open(fifo.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open the named pipe");
  if (write(fd, bytes.data(), bytes.size()) !=
      static_cast<ssize_t>(bytes.size())) {
    close(fd);
    throw std::runtime_error("cannot write the named pipe");
  }
  std::atomic<bool> program_ended{false};
  std::thread writer([fd, &program_ended] {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    int unread = 1;
    while (!program_ended && std::chrono::steady_clock::now() < deadline &&
           ioctl(fd, FIONREAD, &unread) == 0 && unread > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    close(fd);
  });
  ProgramRun result = run(args);
  program_ended = true;
  writer.join();
  return result;
}

void ProgramTest::expect_input_failure(const std::string& input,
                                       const std::string& bytes, int status,
                                       const std::string& message,
                                       const std::string& label) const {
  write_file(input, bytes);
  write_file("out.bin", "earlier output");
  ProgramRun run = this->run({input, "out.bin"});
  EXPECT_EQ(status, run.status) << label;
  EXPECT_EQ(progress(input, "out.bin", 1000) + message, run.output) << label;
  EXPECT_EQ("earlier output", read_file("out.bin")) << label;
}

void ProgramTest::expect_usage_for_bad_command_lines(
    const std::string& input, const std::string& usage) const {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {input, "out.bin", "/x"},
      {"-q5", input},
      {input, "/"},
      {"-", input},
      {input, "a.bin", "b.bin"}};
  for (const auto& args : cases) {
    ProgramRun run = this->run(args);
    EXPECT_EQ(1, run.status) << args.size() << " arguments";
    EXPECT_EQ(usage, run.output);
  }
  EXPECT_FALSE(exists("out.bin"));
  EXPECT_FALSE(exists("a.bin"));
  EXPECT_FALSE(exists("Tracks.bin"));
}

void ProgramTest::expect_output_failures(const std::string& input,
                                         const std::string& converted) const {
  std::filesystem::create_directory(path("folder"));
  for (const std::string& output :
       std::vector<std::string>{"folder", "no/such/out.bin"}) {
    ProgramRun run = this->run({input, output});
    EXPECT_EQ(2, run.status) << output;
    EXPECT_EQ(progress(input, output, 1000) + converted +
                  "Output file open error!\n",
              run.output);
  }
  ProgramRun run = this->run({input, "/dev/full"});
  EXPECT_EQ(3, run.status);
  EXPECT_EQ(progress(input, "/dev/full", 1000) + converted +
                "Output file write error!\n",
            run.output);
}

bool ProgramTest::exists(const std::string& name) const {
  return std::filesystem::exists(path(name));
}

}  // namespace tracks

#include "tests/memory_stream.h"

#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace tracks {

std::unique_ptr<InputStream> memory_stream(const std::string& bytes) {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) throw std::runtime_error("tmpfile failed");
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    throw std::runtime_error("tmpfile write failed");
  }
  std::rewind(file);
  return std::make_unique<InputStream>(file);
}

std::unique_ptr<InputStream> pipe_stream(const std::string& bytes) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  // Small test inputs fit the pipe's buffer, so no writer thread is needed.
  if (write(fds[1], bytes.data(), bytes.size()) !=
      static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error("pipe write failed");
  }
  close(fds[1]);
  return std::make_unique<InputStream>(fdopen(fds[0], "rb"));
}

}  // namespace tracks

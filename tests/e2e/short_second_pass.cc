// A converter whose input yields one point fewer the second time it is read,
// as if the file had been cut short between the two passes.  Run as
//   ShortSecondPass PROGRAM ARGS...
// it is that program in every other respect, so the end-to-end tests can
// reach the failure of the converting pass.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/programs.h"

namespace {

class ShortSecondPass : public tracks::PointSource {
 public:
  explicit ShortSecondPass(tracks::PointSource& inner) : inner_(inner) {}

  void check_header(tracks::InputStream& input) override {
    inner_.check_header(input);
  }
  std::int64_t start_position(tracks::InputStream& input) override {
    return inner_.start_position(input);
  }
  void restart(std::int64_t start) override {
    second_pass_ = true;
    inner_.restart(start);
  }
  int read_point(tracks::InputStream& input,
                 tracks::TrackPoint& point) override {
    if (!second_pass_) {
      int result = inner_.read_point(input, point);
      if (result == 0) ++counted_;
      return result;
    }
    if (delivered_ + 1 >= counted_) return -1;
    int result = inner_.read_point(input, point);
    if (result == 0) ++delivered_;
    return result;
  }

 private:
  tracks::PointSource& inner_;
  bool second_pass_ = false;
  std::int64_t counted_ = 0;
  std::int64_t delivered_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const tracks::Converter* converter =
      argc > 1 ? tracks::find_converter(argv[1]) : nullptr;
  if (converter == nullptr) {
    std::fprintf(stderr, "usage: ShortSecondPass PROGRAM ARGS...\n");
    return 64;
  }
  tracks::Console console(stdout);
  auto source = converter->make_source(console);
  ShortSecondPass short_source(*source);
  std::vector<std::string> args(argv + 2, argv + argc);
  return tracks::run_converter(*converter->program, short_source, args,
                               stdout);
}

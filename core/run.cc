#include "core/run.h"

#include <cstdarg>
#include <memory>

#include "core/command_line.h"
#include "core/input_stream.h"
#include "core/open_file.h"
#include "core/point_selection.h"
#include "core/track_image.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace tracks {

void Console::print(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(out_, format, args);
  va_end(args);
}

namespace {

int print_usage(const ProgramInfo& program, Console& console) {
  console.print("%s", program.banner);
  console.print("%s", program.notice);
  console.print("Usage:\n");
  console.print("%s", program.usage_line);
  return 1;
}

// Everything between reading the command line and the exit status.  Throws
// RunError on the first failure; the input stream closes as the exception
// leaves.
int convert(const ProgramInfo& program, PointSource& source,
            const Settings& settings, Console& console, TrackImage& image) {
  std::unique_ptr<InputStream> input = InputStream::open(settings.input_name);
  if (!input) throw RunError(2, "Input file open error!\n");
  source.check_header(*input);

  image.clear();
  PointSelection selection(image, console, settings.break_distance);
  selection.select_points(*input, source, program.report_point_count);
  input.reset();

  std::FILE* output = open_file(settings.output_name, "wb");
  if (output == nullptr) throw RunError(2, "Output file open error!\n");
  // Unbuffered, so that the one write reaches the file and its failure is
  // seen here rather than at a close whose result goes unchecked.
  std::setvbuf(output, nullptr, _IONBF, 0);
  image.set_point_count(selection.stored_count());
  std::size_t written =
      std::fwrite(image.bytes().data(), 1, TrackImage::kSize, output);
  std::fclose(output);
  if (written != TrackImage::kSize) {
    throw RunError(3, "Output file write error!\n");
  }
  return 0;
}

}  // namespace

int run_converter(const ProgramInfo& program, PointSource& source,
                  const std::vector<std::string>& args, std::FILE* out) {
  Console console(out);
  Settings settings;
  if (!parse_command_line(args, settings)) return print_usage(program, console);

  console.print("Input  file: %s \n", settings.input_name.c_str());
  console.print("Output file: %s \n", settings.output_name.c_str());
  console.print("Track breaking distance: %d \n", settings.break_distance);

  // The image lives on the heap: 80 KB is more than a small stack should
  // be asked for.
  auto image = std::make_unique<TrackImage>();
  int status = 0;
  try {
    status = convert(program, source, settings, console, *image);
  } catch (const RunError& error) {
    console.print("%s", error.what());
    status = error.status();
  }
  std::fflush(out);
  return status;
}

std::vector<std::string> program_arguments(int argc, char** argv) {
#ifdef _WIN32
  // The narrow argv of Windows is in the ANSI code page and loses letters
  // outside it; take the UTF-16 command line and hold it as UTF-8.
  (void)argv;
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return args;
  for (int i = 1; i < count; ++i) {
    int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr,
                                nullptr);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) {
      WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), n, nullptr,
                          nullptr);
      text.resize(static_cast<std::size_t>(n) - 1);
    }
    args.push_back(text);
  }
  LocalFree(wide);
  (void)argc;
  return args;
#else
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
#endif
}

}  // namespace tracks

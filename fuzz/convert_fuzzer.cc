// Fuzzes whole conversions, in-process: the first byte picks the program and
// the break distance, the rest is the input file.  On a regular file a run
// ends with 0, with a header failure (2) or with too few points (12), never
// with a failed second pass; a written image is always well formed, and a
// failed run leaves the existing output file alone.
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/run.h"
#include "fuzz/fuzz_support.h"
#include "tests/programs.h"

namespace {

using namespace tracks;

const char* const kDistances[] = {"/d1000", "/d0", "/d-5", "/d1", "/d100000",
                                  "/d2147483647", "-D30", "/d5000"};

std::uint32_t word(const std::string& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + 1]))
             << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + 2]))
             << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + 3]))
             << 24;
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const Converter& converter = kConverters[data[0] % kConverterCount];
  const char* distance = kDistances[(data[0] / kConverterCount) % 8];
  std::string input =
      fuzz::file_on_disk(data + 1, size - 1, converter.suffix);
  std::string output = input + ".bin";
  const std::string marker = "earlier output";
  {
    std::ofstream(output, std::ios::binary) << marker;
  }

  Console console(fuzz::null_output());
  std::unique_ptr<PointSource> source = converter.make_source(console);
  int status = run_converter(*converter.program, *source,
                             {input, distance, output}, fuzz::null_output());
  fuzz::require(status == 0 || status == 2 || status == 12,
                "a regular file converts, or fails its header, or is short");

  std::string image = slurp(output);
  if (status != 0) {
    fuzz::require(image == marker, "a failed run leaves the output alone");
    return 0;
  }
  fuzz::require(image.size() == 80008, "the image is 80008 bytes");
  std::uint32_t count = word(image, 0);
  fuzz::require(count >= 2 && count <= 9996, "2 to 9996 points stored");
  fuzz::require(word(image, 4) == 0, "reserved word is zero");
  fuzz::require((word(image, 12) & 0x80000000u) != 0,
                "the first point starts a track");
  for (std::size_t i = 8 + 8 * static_cast<std::size_t>(count); i < image.size();
       ++i) {
    fuzz::require(image[i] == 0, "slots past the count are zero");
  }
  return 0;
}

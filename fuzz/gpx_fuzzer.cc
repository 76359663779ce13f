// Fuzzes the .gpx point source: any bytes give the same points in both
// passes, all within range.
#include "fuzz/fuzz_support.h"
#include "gpx/gpx_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tracks;
  auto input = fuzz::file_stream(data, size);
  GpxSource source;
  source.check_header(*input);
  fuzz::check_two_passes(*input, source, 100.0, 370.0,
                         /*end_is_final=*/true);
  return 0;
}

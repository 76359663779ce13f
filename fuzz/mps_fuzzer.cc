// Fuzzes the .mps point source: any bytes either fail the header check with
// status 2, or give the same points in both passes, all within -180..180,
// and every walk ends.
#include "fuzz/fuzz_support.h"
#include "mps/mps_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tracks;
  auto input = fuzz::file_stream(data, size);
  Console console(fuzz::null_output());
  MpsSource source(console);
  try {
    source.check_header(*input);
  } catch (const RunError& error) {
    fuzz::require(error.status() == 2, "header failures end with status 2");
    return 0;
  }
  fuzz::check_two_passes(*input, source, 180.0, 180.0,
                         /*end_is_final=*/false);
  return 0;
}

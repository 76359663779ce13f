// Fuzzes the .plt point source: any bytes either fail the header check with
// status 2, or give the same points in both passes, all within range.
#include "fuzz/fuzz_support.h"
#include "plt/plt_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace tracks;
  auto input = fuzz::file_stream(data, size);
  PltSource source;
  try {
    source.check_header(*input);
  } catch (const RunError& error) {
    fuzz::require(error.status() == 2, "header failures end with status 2");
    return 0;
  }
  fuzz::check_two_passes(*input, source, 100.0, 370.0,
                         /*end_is_final=*/true);
  return 0;
}

// Shared pieces of the fuzz targets: the fuzzer's bytes as a regular file,
// and the checks that must hold for every input.
#ifndef TRACKS_FUZZ_FUZZ_SUPPORT_H_
#define TRACKS_FUZZ_FUZZ_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "core/input_stream.h"
#include "core/point_source.h"

namespace tracks::fuzz {

// Stops the fuzzer with a finding when `condition` does not hold.
void require(bool condition, const char* what);

// The bytes as an in-memory regular file: seekable, past its end too.
std::unique_ptr<InputStream> file_stream(const std::uint8_t* data,
                                         std::size_t size);

// The same bytes as a file on disk, for runs that open files by name.
// Returns its path; the file is overwritten by the next call.
std::string file_on_disk(const std::uint8_t* data, std::size_t size,
                         const char* suffix);

// A stream that swallows messages.
std::FILE* null_output();

// After check_header: counts the points, seeks back the way the core does,
// and reads them again.  Both passes must give the same points, bit for bit,
// every one within the given bounds, and end at the same place; skip_point
// must find the same points and stop where read_point does.  Returns the
// number of points.  With `end_is_final`, a further read after the end must
// find the end again (a record reader may instead read on past a damaged
// record, whose points the core never takes).
std::int64_t check_two_passes(InputStream& input, PointSource& source,
                              double latitude_bound, double longitude_bound,
                              bool end_is_final);

}  // namespace tracks::fuzz

#endif  // TRACKS_FUZZ_FUZZ_SUPPORT_H_

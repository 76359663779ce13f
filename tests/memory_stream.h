// Input streams over bytes made in a test.
#ifndef TRACKS_TESTS_MEMORY_STREAM_H_
#define TRACKS_TESTS_MEMORY_STREAM_H_

#include <memory>
#include <string>

#include "core/input_stream.h"

namespace tracks {

// A seekable stream holding exactly `bytes` (a temporary file).
std::unique_ptr<InputStream> memory_stream(const std::string& bytes);

// A stream over a pipe holding `bytes`: readable, but it cannot tell or seek.
std::unique_ptr<InputStream> pipe_stream(const std::string& bytes);

}  // namespace tracks

#endif  // TRACKS_TESTS_MEMORY_STREAM_H_

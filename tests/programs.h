// The three converters by name, for harnesses that run them in-process or
// wrap their point sources.
#ifndef TRACKS_TESTS_PROGRAMS_H_
#define TRACKS_TESTS_PROGRAMS_H_

#include <memory>
#include <string_view>

#include "core/point_source.h"
#include "core/run.h"

namespace tracks {

struct Converter {
  const char* name;          // "Tarrow"
  const char* suffix;        // ".plt"
  const ProgramInfo* program;
  std::unique_ptr<PointSource> (*make_source)(Console& console);
};

// Every converter: Tarrow, Ralder, Keswin.
extern const Converter kConverters[];
extern const std::size_t kConverterCount;

// The converter of that name, or nullptr.
const Converter* find_converter(std::string_view name);

}  // namespace tracks

#endif  // TRACKS_TESTS_PROGRAMS_H_

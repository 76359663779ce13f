#include "tests/programs.h"

#include "gpx/gpx_source.h"
#include "mps/mps_source.h"
#include "plt/plt_source.h"

namespace tracks {

const Converter kConverters[] = {
    {"Tarrow", ".plt", &kTarrowProgram,
     [](Console&) -> std::unique_ptr<PointSource> {
       return std::make_unique<PltSource>();
     }},
    {"Ralder", ".gpx", &kRalderProgram,
     [](Console&) -> std::unique_ptr<PointSource> {
       return std::make_unique<GpxSource>();
     }},
    {"Keswin", ".mps", &kKeswinProgram,
     [](Console& console) -> std::unique_ptr<PointSource> {
       return std::make_unique<MpsSource>(console);
     }},
};
const std::size_t kConverterCount = sizeof kConverters / sizeof kConverters[0];

const Converter* find_converter(std::string_view name) {
  for (const Converter& converter : kConverters) {
    if (name == converter.name) return &converter;
  }
  return nullptr;
}

}  // namespace tracks

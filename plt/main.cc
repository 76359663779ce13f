// Tarrow: OziExplorer track point file (.plt) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "plt/plt_source.h"

int main(int argc, char** argv) {
  tracks::PltSource source;
  return tracks::run_converter(tracks::kTarrowProgram, source,
                               tracks::program_arguments(argc, argv), stdout);
}

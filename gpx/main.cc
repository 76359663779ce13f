// Ralder: GPX track (.gpx) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "gpx/gpx_source.h"

int main(int argc, char** argv) {
  tracks::GpxSource source;
  return tracks::run_converter(tracks::kRalderProgram, source,
                               tracks::program_arguments(argc, argv), stdout);
}

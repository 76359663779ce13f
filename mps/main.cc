// Keswin: MapSource record file (.mps) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "mps/mps_source.h"

int main(int argc, char** argv) {
  // The source prints to the same stream as the core, so its messages fall
  // in line with the core's.
  tracks::Console console(stdout);
  tracks::MpsSource source(console);
  return tracks::run_converter(tracks::kKeswinProgram, source,
                               tracks::program_arguments(argc, argv), stdout);
}

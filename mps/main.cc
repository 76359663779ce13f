// Keswin: MapSource record file (.mps) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "mps/mps_source.h"

int main(int argc, char** argv) {
  static const tracks::ProgramInfo kKeswin = {
      "Navitel .mps track to Navitel Traks.bin file converter V1.20 \n",
      "Converts the tracks of a MapSource file (.mps) into a Navitel "
      "Tracks.bin file.\n",
      "Keswin InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
      false,
  };
  // The source prints to the same stream as the core, so its messages fall
  // in line with the core's.
  tracks::Console console(stdout);
  tracks::MpsSource source(console);
  return tracks::run_converter(kKeswin, source,
                               tracks::program_arguments(argc, argv), stdout);
}

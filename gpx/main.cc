// Ralder: GPX track (.gpx) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "gpx/gpx_source.h"

int main(int argc, char** argv) {
  static const tracks::ProgramInfo kRalder = {
      "Navitel .gpx track to Navitel Traks.bin file converter V1.20 \n",
      "Converts the track points of a GPX file (.gpx) into a Navitel "
      "Tracks.bin file.\n",
      "Ralder InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
      true,
  };
  tracks::GpxSource source;
  return tracks::run_converter(kRalder, source,
                               tracks::program_arguments(argc, argv), stdout);
}

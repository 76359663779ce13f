// Tarrow: OziExplorer track point file (.plt) to Navitel Tracks.bin.
#include <cstdio>

#include "core/run.h"
#include "plt/plt_source.h"

int main(int argc, char** argv) {
  static const tracks::ProgramInfo kTarrow = {
      "OziExplorer .plt to Navitel Traks.bin file converter V1.20 \n",
      "Converts an OziExplorer track (.plt) into a Navitel Tracks.bin file.\n",
      "Tarrow InputFile [OutPutFile] [/dTrack_Break_Distance] \n\n",
      false,
  };
  tracks::PltSource source;
  return tracks::run_converter(kTarrow, source,
                               tracks::program_arguments(argc, argv), stdout);
}

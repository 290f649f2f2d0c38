#pragma once
#include <string>
#include <vector>

#include "mencoder_inputs.h"
#include "mencoder_options.h"

namespace clipvane::tools {

// What main() prepared on disk for one encode.
struct PreparedInputs {
  std::string ffmpeg = "ffmpeg";  // the program to run
  bool has_xvid = true;           // whether it has the Xvid encoder
  std::string media;        // the file ffmpeg reads (the video behind an .avs script)
  std::string ssa;          // UTF-8 SSA file drawn onto the source (colour route), or empty
  std::string sami;         // prepared SAMI copy (plain route), or empty
  std::string fonts_dir;    // a folder holding only the fonts to draw with, or empty
  std::string font_family;  // family for the plain-route subtitles, or empty
  SourceFacts facts;
};

struct FfmpegCommand {
  std::vector<std::string> argv;
  std::vector<std::string> notes;  // choices worth a line in the job log
};

FfmpegCommand BuildFfmpegCommand(const EncodeRequest& request, const PreparedInputs& inputs);

}  // namespace clipvane::tools

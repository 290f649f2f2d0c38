#pragma once
#include <string>
#include <vector>

#include "mencoder_inputs.h"
#include "mencoder_options.h"

namespace clipvane::tools {

// What main() prepared on disk for one encode.
struct PreparedInputs {
  std::string ffmpeg = "ffmpeg";    // the program to run
  bool has_xvid = true;             // whether it has the Xvid encoder
  bool has_zscale = true;           // whether it has the zscale filter (zimg), which tone mapping needs
  std::string media;                // the file ffmpeg reads (the video behind an .avs script)
  std::string output;               // the file ffmpeg writes, renamed to the requested one when all went well
  std::string ssa;                  // UTF-8 SSA file drawn onto the source (colour route), or empty
  std::string subtitles;            // the prepared copy (plain route), or the source itself for its own text track
  int subtitle_track = -1;          // the source's own text track the copy's place names, from 0; -1 for a copy
  bool subtitles_styled = false;    // the subtitles keep their own styles (ASS), not the plain route's letters
  std::string styled_font;          // the family every style of those takes instead of its own, or empty
  int picture_subtitle_track = -1;  // the source's own picture track laid over the picture, from 0; -1 for none
  std::string fonts_dir;            // a folder holding only the fonts to draw with, or empty
  std::string font_family;          // family for the plain-route subtitles, or empty
  SourceFacts facts;
};

// How the encoders of one AVI are run. FFmpeg runs every encoder of one command on
// its main thread, one after another, so an encode of both picture and sound goes
// faster as two children side by side: the first encodes the picture and sends it
// on as an AVI stream into the second, which encodes the sound and writes the file.
// Both give the packets that one command would.
enum class EncoderLayout { kSideBySide, kOneCommand };

struct FfmpegCommand {
  // Each child's arguments in start order; with two, the first one's output goes
  // into the second one's input, and the second one reports progress.
  std::vector<std::vector<std::string>> children;
  std::vector<std::string> notes;  // choices worth a line in the job log
  struct {
    int width = 0, height = 0;
  } picture;  // the size of the encoded picture; 0 when the picture is copied or left out
};

// The filters that bring a picture of these colours to BT.709, which every picture the
// encoder writes is in and every MP4 the muxer writes says (tools/mp4_mux.cpp): a high
// dynamic range one tone-mapped (without zscale, only its colours converted, and a
// note says so), another one's colours converted unless they are BT.709 already.
// `first` comes first in the chain, at the source's size; `last` at its end, at the
// encoded size, where a conversion costs least. Either may be empty.
struct ColourFilters {
  std::string first, last;
};
ColourFilters ToBt709(const SourceFacts& facts, bool has_zscale, std::vector<std::string>& notes);

FfmpegCommand BuildFfmpegCommand(const EncodeRequest& request, const PreparedInputs& inputs,
                                 EncoderLayout layout = EncoderLayout::kSideBySide);

}  // namespace clipvane::tools

// Feeds arbitrary command lines (one argument per line) to the encoder stand-in's
// option parser, and checks that a command line it accepts is one the encoder can
// carry out.
#include <sstream>
#include <vector>

#include "fuzz/require.h"
#include "mencoder_options.h"

void FuzzOne(const std::string& bytes) {
  using namespace clipvane::tools;
  std::istringstream text(bytes);
  std::vector<std::string> args;
  for (std::string arg; std::getline(text, arg);) args.push_back(arg);

  const ParsedRequest parsed = ParseMencoderCommandLine(args);
  if (!parsed.error.empty()) return;
  const EncodeRequest& request = parsed.request;
  // An empty argument passes for an input file here and is refused when it is opened.
  Require(!request.output.empty());
  Require(request.video != VideoCodec::kNone);
  Require(!(request.no_sound && request.audio != AudioCodec::kNone));
  for (const VideoFilter& filter : request.filters)
    if (filter.kind == VideoFilter::Kind::kScale || filter.kind == VideoFilter::Kind::kCrop)
      Require(filter.width > 0 && filter.height > 0);
  // What the H.264 encoder is given is what x264 takes.
  Require(request.x264.crf >= 0 && request.x264.crf <= 51);
  Require(request.x264.level == 0 || (request.x264.level >= 10 && request.x264.level <= 62));
}

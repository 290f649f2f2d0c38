#include "mencoder_options.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

namespace clipvane::tools {

bool EncodeRequest::HasFilter(VideoFilter::Kind kind) const {
  for (const VideoFilter& filter : filters)
    if (filter.kind == kind) return true;
  return false;
}

namespace {

struct Failure {
  std::string message;
};

// "a=1:b:c=2" into (key, value) pairs in order.
std::vector<std::pair<std::string, std::string>> SubOptions(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(':', start);
    if (end == std::string::npos) end = text.size();
    const std::string item = text.substr(start, end - start);
    const std::size_t equals = item.find('=');
    if (!item.empty()) {
      pairs.emplace_back(item.substr(0, equals), equals == std::string::npos ? "" : item.substr(equals + 1));
    }
    start = end + 1;
  }
  return pairs;
}

long WholeNumber(const std::string& option, const std::string& text) {
  const auto value = ParseWholeNumber(text);
  if (!value) throw Failure{option + " needs a whole number, not '" + text + "'"};
  return static_cast<long>(*value);
}

// Picture sizes and offsets, where -1 means "centred".
int SignedNumber(const std::string& option, const std::string& text) {
  if (text == "-1") return -1;
  return static_cast<int>(WholeNumber(option, text));
}

double Decimal(const std::string& option, const std::string& text) {
  const auto value = ParseDecimal(text);
  if (!value) throw Failure{option + " needs a number, not '" + text + "'"};
  return value->Value();
}

// The encoders take small values as kbit/s and large ones as bit/s.
long Bitrate(const std::string& option, const std::string& text) {
  const long value = WholeNumber(option, text);
  return value > 16000 ? value : value * 1000;
}

VideoFilter ParseVideoFilter(const std::string& text) {
  const std::size_t equals = text.find('=');
  const std::string name = text.substr(0, equals);
  std::vector<std::string> values;
  if (equals != std::string::npos) {
    for (const auto& [key, unused] : SubOptions(text.substr(equals + 1))) values.push_back(key);
  }
  const std::string option = "-vf-add " + name;
  auto expect = [&](std::size_t least, std::size_t most) {
    if (values.size() < least || values.size() > most)
      throw Failure{option + ": unexpected parameters in '" + text + "'"};
  };
  VideoFilter filter;
  if (name == "crop" || name == "expand") {
    expect(2, name == "crop" ? 4 : 5);
    filter.kind = name == "crop" ? VideoFilter::Kind::kCrop : VideoFilter::Kind::kExpand;
    filter.width = SignedNumber(option, values[0]);
    filter.height = SignedNumber(option, values[1]);
    if (values.size() > 2) filter.x = SignedNumber(option, values[2]);
    if (values.size() > 3) filter.y = SignedNumber(option, values[3]);
    if (values.size() > 4) filter.draw_subtitles = WholeNumber(option, values[4]) != 0;
    if (filter.width <= 0 || filter.height <= 0) throw Failure{option + " needs a width and a height: '" + text + "'"};
  } else if (name == "scale") {
    expect(2, 2);
    filter.kind = VideoFilter::Kind::kScale;
    filter.width = SignedNumber(option, values[0]);
    filter.height = SignedNumber(option, values[1]);
    if (filter.width <= 0 || filter.height <= 0) throw Failure{option + " needs a width and a height: '" + text + "'"};
  } else if (name == "rotate") {
    expect(0, 1);
    filter.kind = VideoFilter::Kind::kRotate;
    filter.rotation = values.empty() ? 0 : static_cast<int>(WholeNumber(option, values[0]));
    if (filter.rotation > 7) throw Failure{option + " takes 0 to 7, not " + values[0]};
  } else if (name == "harddup") {
    expect(0, 0);
  } else if (name == "hqdn3d") {
    expect(0, 4);
    filter.kind = VideoFilter::Kind::kDenoise;
    for (const std::string& value : values) {
      Decimal(option, value);
      filter.denoise_parameters += (filter.denoise_parameters.empty() ? "" : ":") + value;
    }
  } else {
    throw Failure{"unknown video filter '" + name + "' in -vf-add " + text};
  }
  return filter;
}

class Parser {
 public:
  explicit Parser(const std::vector<std::string>& args) : args_(args) {}

  EncodeRequest Parse() {
    std::vector<std::string> inputs;
    for (index_ = 0; index_ < args_.size(); ++index_) {
      const std::string& arg = args_[index_];
      if (arg.size() > 1 && arg[0] == '-') {
        Option(arg);
      } else {
        inputs.push_back(arg);
      }
    }
    if (inputs.size() > 1) throw Failure{"more than one input file: '" + inputs[0] + "' and '" + inputs[1] + "'"};
    if (inputs.empty()) throw Failure{"no input file given"};
    request_.input = inputs[0];
    Check();
    return request_;
  }

 private:
  std::string Value(const std::string& option) {
    if (index_ + 1 >= args_.size()) throw Failure{option + " needs a value"};
    return args_[++index_];
  }

  SubtitleOptions& Subtitles() {
    if (!request_.subtitles) request_.subtitles.emplace();
    return *request_.subtitles;
  }

  void Option(const std::string& option) {
    static const std::map<std::string, std::function<void(Parser&, const std::string&)>> kOptions{
        {"-noodml", [](Parser&, const std::string&) {}},  // AVI index layout; ffmpeg's is fine either way
        {"-nosound", [](Parser& p, const std::string&) { p.request_.no_sound = true; }},
        {"-aid", [](Parser& p, const std::string& o) { p.request_.audio_track = WholeNumber(o, p.Value(o)); }},
        {"-sid",
         [](Parser& p, const std::string& o) {
           p.request_.subtitle_track = WholeNumber(o, p.Value(o));
           p.Subtitles();  // drawn with the encoder's defaults unless told
         }},
        {"-utf8", [](Parser& p, const std::string&) { p.Subtitles().utf8 = true; }},
        {"-o", [](Parser& p, const std::string& o) { p.request_.output = p.Value(o); }},
        {"-of", [](Parser& p, const std::string& o) { p.OutputFormatOption(p.Value(o)); }},
        {"-ovc", [](Parser& p, const std::string& o) { p.VideoCodecOption(p.Value(o)); }},
        {"-oac", [](Parser& p, const std::string& o) { p.AudioCodecOption(p.Value(o)); }},
        {"-xvidencopts", [](Parser& p, const std::string& o) { p.XvidOptions(p.Value(o)); }},
        {"-xvidopts", [](Parser& p, const std::string& o) { p.XvidDecoderOptions(p.Value(o)); }},
        {"-lavcopts", [](Parser& p, const std::string& o) { p.LavcOptions(p.Value(o)); }},
        {"-x264encopts", [](Parser& p, const std::string& o) { p.X264EncoderOptions(p.Value(o)); }},
        {"-faacopts", [](Parser& p, const std::string& o) { p.AacOptions(p.Value(o)); }},
        {"-ffourcc", [](Parser& p, const std::string& o) { p.FourCc(o, p.Value(o)); }},
        {"-sws", [](Parser& p, const std::string& o) { p.Scaler(o, p.Value(o)); }},
        {"-vf-add",
         [](Parser& p, const std::string& o) { p.request_.filters.push_back(ParseVideoFilter(p.Value(o))); }},
        {"-af", [](Parser& p, const std::string& o) { p.AudioFilters(p.Value(o)); }},
        {"-srate", [](Parser& p, const std::string& o) { p.SampleRate(o, p.Value(o)); }},
        {"-mc", [](Parser& p, const std::string& o) { p.SyncCorrection(o, p.Value(o)); }},
        {"-ofps", [](Parser& p, const std::string& o) { p.OutputRate(o, p.Value(o)); }},
        {"-font", [](Parser& p, const std::string& o) { p.Subtitles().font = p.Value(o); }},
        {"-sub", [](Parser& p, const std::string& o) { p.Subtitles().file = p.Value(o); }},
        {"-subpos", [](Parser& p, const std::string& o) { p.SubtitlePosition(o, p.Value(o)); }},
        {"-subfont-text-scale",
         [](Parser& p, const std::string& o) { p.Subtitles().text_scale = Decimal(o, p.Value(o)); }},
        {"-subfont-blur", [](Parser& p, const std::string& o) { p.Subtitles().blur = Decimal(o, p.Value(o)); }},
        {"-subfont-outline", [](Parser& p, const std::string& o) { p.Subtitles().outline = Decimal(o, p.Value(o)); }},
    };
    const auto found = kOptions.find(option);
    if (found == kOptions.end()) throw Failure{"unknown option " + option};
    found->second(*this, option);
  }

  void OutputFormatOption(const std::string& value) {
    if (value == "avi") request_.format = OutputFormat::kAvi;
    else if (value == "rawvideo") request_.format = OutputFormat::kRawVideo;
    else if (value == "rawaudio") request_.format = OutputFormat::kRawAudio;
    else throw Failure{"unknown output format -of " + value + " (avi, rawvideo and rawaudio are known)"};
  }

  void VideoCodecOption(const std::string& value) {
    if (value == "xvid") request_.video = VideoCodec::kXvid;
    else if (value == "lavc") request_.video = VideoCodec::kLavcMpeg4;
    else if (value == "x264") request_.video = VideoCodec::kX264;
    else if (value == "copy") request_.video = VideoCodec::kCopy;
    else if (value == "frameno") request_.video = VideoCodec::kFrameNumbers;
    else throw Failure{"unknown video codec -ovc " + value + " (xvid, lavc, x264, copy and frameno are known)"};
  }

  void AudioCodecOption(const std::string& value) {
    if (value == "faac") request_.audio = AudioCodec::kAac;
    else if (value == "copy") request_.audio = AudioCodec::kCopy;
    else throw Failure{"unknown audio codec -oac " + value + " (faac and copy are known)"};
  }

  void XvidOptions(const std::string& text) {
    for (const auto& [key, value] : SubOptions(text)) {
      if (key == "bitrate") request_.video_bitrate = Bitrate("-xvidencopts bitrate", value);
      else if (key == "max_bframes" && value == "0") continue;                  // ours never writes B-frames
      else if ((key == "nogmc" || key == "noqpel") && value.empty()) continue;  // both off anyway
      else throw Failure{"unsupported -xvidencopts suboption '" + key + (value.empty() ? "" : "=" + value) + "'"};
    }
  }

  void XvidDecoderOptions(const std::string& text) {
    // Post-processing of Xvid decoding; encoding is not affected.
    for (const auto& [key, value] : SubOptions(text)) {
      if (key != "deblock-chroma" && key != "deblock-luma")
        throw Failure{"unsupported -xvidopts suboption '" + key + "'"};
    }
  }

  void LavcOptions(const std::string& text) {
    for (const auto& [key, value] : SubOptions(text)) {
      if (key == "vcodec") {
        if (value != "mpeg4") throw Failure{"unsupported -lavcopts vcodec=" + value + " (mpeg4 is known)"};
        lavc_codec_named_ = true;
      } else if (key == "vbitrate") {
        request_.video_bitrate = Bitrate("-lavcopts vbitrate", value);
      } else if (key == "threads") {
        request_.threads = static_cast<int>(WholeNumber("-lavcopts threads", value));
      } else {
        throw Failure{"unsupported -lavcopts suboption '" + key + (value.empty() ? "" : "=" + value) + "'"};
      }
    }
  }

  void X264EncoderOptions(const std::string& text) {
    static const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                           "medium",    "slow",      "slower",   "veryslow", "placebo"};
    static const char* const kProfiles[] = {"baseline", "main", "high"};
    const auto one_of = [](const std::string& value, const auto& names) {
      return std::find(std::begin(names), std::end(names), value) != std::end(names);
    };
    X264Options& x264 = request_.x264;
    for (const auto& [key, value] : SubOptions(text)) {
      // x264 takes "-" and "_" alike in its option names.
      std::string name = key;
      std::replace(name.begin(), name.end(), '-', '_');
      const std::string option = "-x264encopts " + key;
      if (name == "preset" && one_of(value, kPresets)) {
        x264.preset = value;
      } else if (name == "crf") {
        x264.crf = Decimal(option, value);
        if (x264.crf < 0 || x264.crf > 51) throw Failure{option + " takes 0 to 51, not " + value};
      } else if (name == "profile" && one_of(value, kProfiles)) {
        x264.profile = value;
      } else if (name == "level" || name == "level_idc") {
        // 4, 4.0 and 40 are one level.
        double level = Decimal(option, value);
        if (level < 10) level *= 10;
        if (level < 10 || level > 62) throw Failure{option + ": no H.264 level " + value};
        x264.level = static_cast<int>(level + 0.5);
      } else if (name == "vbv_maxrate" || name == "vbv_bufsize") {
        const long rate = WholeNumber(option, value);
        if (rate > 1000000) throw Failure{option + " takes up to 1000000, not " + value};
        (name == "vbv_maxrate" ? x264.vbv_maxrate : x264.vbv_bufsize) = static_cast<int>(rate);
      } else {
        throw Failure{"unsupported -x264encopts suboption '" + key + (value.empty() ? "" : "=" + value) +
                      "' (preset, crf, profile, level, vbv_maxrate and vbv_bufsize are known)"};
      }
    }
  }

  void AacOptions(const std::string& text) {
    for (const auto& [key, value] : SubOptions(text)) {
      if (key == "br") request_.audio_bitrate = WholeNumber("-faacopts br", value) * 1000;
      else if (key == "mpeg" && value == "4") continue;
      else if (key == "object" && value == "2") continue;  // low complexity, the AAC encoder's profile
      else
        throw Failure{"unsupported -faacopts suboption '" + key + (value.empty() ? "" : "=" + value) +
                      "' (br, mpeg=4 and object=2 are known)"};
    }
  }

  void FourCc(const std::string& option, const std::string& value) {
    if (value.size() != 4) throw Failure{option + " needs four characters, not '" + value + "'"};
    request_.fourcc = value;
  }

  void Scaler(const std::string& option, const std::string& value) {
    request_.scaler = static_cast<int>(WholeNumber(option, value));
    if (request_.scaler > 10) throw Failure{option + " takes 0 to 10, not " + value};
  }

  void AudioFilters(const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find(',', start);
      if (end == std::string::npos) end = text.size();
      const std::string name = text.substr(start, end - start);
      if (name != "volnorm")
        throw Failure{"unknown audio filter '" + name + "' in -af " + text + " (volnorm is known)"};
      request_.normalise_volume = true;
      start = end + 1;
    }
  }

  void SampleRate(const std::string& option, const std::string& value) {
    request_.sample_rate = static_cast<int>(WholeNumber(option, value));
    if (request_.sample_rate < 8000 || request_.sample_rate > 96000)
      throw Failure{option + " " + value + " is not a sample rate"};
  }

  void SyncCorrection(const std::string& option, const std::string& value) {
    // Only switching the correction off is asked for; other amounts have no match here.
    const auto amount = ParseDecimal(value);
    if (!amount || amount->num != 0) throw Failure{option + " " + value + " is not supported (only -mc 0)"};
    request_.sync_correction = false;
  }

  void OutputRate(const std::string& option, const std::string& value) {
    const auto rate = ParseDecimal(value);
    if (!rate) throw Failure{option + " needs a frame rate, not '" + value + "'"};
    request_.output_rate = *rate;
  }

  void SubtitlePosition(const std::string& option, const std::string& value) {
    Subtitles().position = static_cast<int>(WholeNumber(option, value));
    if (Subtitles().position > 100) throw Failure{option + " takes 0 to 100, not " + value};
  }

  void Check() const {
    const EncodeRequest& r = request_;
    if (r.output.empty()) throw Failure{"no output file given (-o)"};
    if (r.video == VideoCodec::kNone) throw Failure{"no video codec given (-ovc)"};
    if (r.video == VideoCodec::kLavcMpeg4 && !lavc_codec_named_)
      throw Failure{"-ovc lavc needs -lavcopts vcodec=mpeg4"};
    const bool encodes_video = r.EncodesVideo();
    if (!encodes_video && (!r.filters.empty() || r.output_rate || r.subtitles)) {
      throw Failure{"video filters, -ofps and subtitles need an encoding -ovc (xvid, lavc or x264)"};
    }
    if (r.subtitles && r.subtitles->file.empty() && !r.subtitle_track)
      throw Failure{"subtitle options without -sub or -sid"};
    if (r.no_sound && r.audio != AudioCodec::kNone) throw Failure{"-nosound together with -oac"};
    switch (r.format) {
      case OutputFormat::kRawVideo:
        if (r.video != VideoCodec::kCopy || !r.no_sound)
          throw Failure{"-of rawvideo takes the video as it is: use -ovc copy -nosound"};
        break;
      case OutputFormat::kRawAudio:
        if (r.video != VideoCodec::kFrameNumbers || r.audio != AudioCodec::kCopy) {
          throw Failure{"-of rawaudio takes the sound as it is: use -ovc frameno -oac copy"};
        }
        break;
      case OutputFormat::kAvi:
        if (r.video == VideoCodec::kFrameNumbers) throw Failure{"-ovc frameno only goes with -of rawaudio"};
        if (r.audio == AudioCodec::kNone && !r.no_sound) throw Failure{"no audio codec given (-oac, or -nosound)"};
        break;
    }
    if (r.audio != AudioCodec::kAac && (r.normalise_volume || r.sample_rate != 0 || r.audio_bitrate != 0)) {
      throw Failure{"-af, -srate and -faacopts need -oac faac"};
    }
  }

  const std::vector<std::string>& args_;
  std::size_t index_ = 0;
  EncodeRequest request_;
  bool lavc_codec_named_ = false;
};

}  // namespace

ParsedRequest ParseMencoderCommandLine(const std::vector<std::string>& args) {
  try {
    return {Parser(args).Parse(), ""};
  } catch (const Failure& failure) {
    return {EncodeRequest{}, failure.message};
  }
}

}  // namespace clipvane::tools

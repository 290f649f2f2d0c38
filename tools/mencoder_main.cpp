// The encoder stand-in: takes the command lines the job scripts write and carries
// them out: the encodes with ffmpeg, which it starts as its child and waits for; the
// splits into raw streams in-process through libavformat.
#include <filesystem>
#include <iostream>
#include <optional>

#include "av_probe.h"
#include "ffmpeg_log.h"
#include "job_report.h"
#include "mencoder_command.h"
#include "mencoder_inputs.h"
#include "mencoder_options.h"
#include "mencoder_progress.h"
#include "platform/child_processes.h"
#include "platform/signal_relay.h"
#include "runs/job_outcome.h"
#include "stream_split.h"
#include "subtitles/sami_text.h"
#include "subtitles/subtitle_source.h"
#include "subtitle_fonts.h"
#include "tool_files.h"
#include "tool_main.h"
#include "tool_text.h"

using namespace clipvane;
using namespace clipvane::tools;

namespace {

class Encoder {
 public:
  Encoder(const EncodeRequest& request, SignalRelay& relay) : request_(request), relay_(relay) {}

  int Run() {
    inputs_.media = request_.input;
    inputs_.ffmpeg = ProgramBesideThisOne("ffmpeg");
    if (LowerExtension(request_.input) == "avs" && !OpenAvsScript()) return 1;
    if (!IsFile(inputs_.media)) {
      std::cerr << "mencoder: cannot open the input file " << inputs_.media << "\n";
      return 1;
    }
    // Written beside the requested file and renamed to it once everything went
    // well, so that a failure never leaves a partial file under that name.
    inputs_.output = UniqueNameBeside(request_.output);
    int status = 1;
    try {
      status = Produce();
      if (status == 0 && MoveOver(inputs_.output, request_.output)) return 0;
    } catch (const std::exception& failure) {
      std::cerr << "mencoder: " << failure.what() << "\n";
    }
    std::error_code ignored;
    std::filesystem::remove(FsPath(inputs_.output), ignored);
    std::cerr << "mencoder: nothing written to " << request_.output << "\n";
    if (!ffmpeg_cause_.empty()) std::cerr << CauseNamed("mencoder", ffmpeg_cause_) << "\n";
    return status != 0 ? status : 1;
  }

 private:
  int Produce() {
    if (request_.format != OutputFormat::kAvi) {
      const SplitResult split = SplitStream(inputs_.media, request_.format == OutputFormat::kRawVideo, inputs_.output);
      if (!split.done) {
        std::cerr << "mencoder: " << split.error << "\n";
        return 1;
      }
      ProgressLines(0, std::cout, false).Finish(split.frames, split.seconds, static_cast<double>(split.bytes));
      return 0;
    }
    if (request_.subtitles && !request_.subtitles->file.empty()) PrepareSubtitles();
    // A Windows FFmpeg may be built without Xvid; its own MPEG-4 Part 2 encoder then
    // writes the same kind of stream.
    if (request_.video == VideoCodec::kXvid) inputs_.has_xvid = HasEncoder(inputs_.ffmpeg, "libxvid");
    // The picture's size and colours, and whether there is sound. A probe that
    // libavformat here cannot answer costs a start of ffprobe, which is much of the
    // scripts' overhead over a plain encode.
    const std::optional<SourceFacts> here = ProbeSourceHere(inputs_.media);
    inputs_.facts = here ? *here : ProbeSource(inputs_.media);
    // A Windows FFmpeg may be built without zimg; the tone mapping needs it.
    if (inputs_.facts.Hdr()) inputs_.has_zscale = HasFilter(inputs_.ffmpeg, "zscale");
    if (request_.subtitles && request_.subtitles->file.empty() && request_.subtitle_track)
      PrepareTrack(*request_.subtitle_track);

    const FfmpegCommand command = BuildFfmpegCommand(request_, inputs_);
    if (request_.format == OutputFormat::kAvi) {
      for (const std::string& note : command.notes) std::cerr << "mencoder: " << note << "\n";
      for (const std::vector<std::string>& argv : command.children) {
        std::cerr << "mencoder: running";
        for (const std::string& arg : argv) std::cerr << " " << arg;
        std::cerr << std::endl;
      }
    }
    ProgressLines progress(inputs_.facts.duration, std::cout, StandardOutputIsTerminal());
    progress.Observe([this](int percent, double fps, double left) { job_.Running(percent, fps, left); });
    job_.Running(0, -1, -1);
    FfmpegLog log(std::cerr, [&progress](const std::string& line) { progress.TakeReportLine(line); });
    const OutputRoute progress_lines = DeliveredTo([&progress](const std::string& chunk) { progress.Feed(chunk); });
    // With two children the first one's output is the second one's input, and the
    // second one reports.
    ChildProcesses children(&relay_);
    const auto start = [&children](const std::vector<std::string>& argv, ChildStreams streams) {
      // One that does not start ends with status 127, and the log says why.
      const auto started = children.Start(argv, std::move(streams));
      if (!started) std::cerr << started.error().Text() << "\n";
    };
    // Both children's lines pass through one log, whole lines one at a time: either may
    // name the cause.
    if (command.children.size() == 2) start(command.children.front(), {ToNextChild(), DeliveredTo(log.Reader())});
    start(command.children.back(), {progress_lines, DeliveredTo(log.Reader())});
    // A stop ends the encoders at once, however quiet they are.
    bool stopped = false;
    const std::vector<int> statuses =
        children.WaitAll([this, &stopped] { return stopped = job_.StopRequested(); }, 250);
    log.Finish();
    // An interrupt or a stop by signal stops the job as the user's stop does.
    if (relay_.FirstSignal() != 0) {
      job_.RequestStop();
      stopped = true;
    }
    if (stopped) {
      std::cerr << "mencoder: stopped\n";
      return 1;
    }
    int status = 0;
    for (std::size_t i = 0; i < statuses.size(); ++i) {
      if (statuses[i] == 0) continue;
      // Either side fails when the other one does: both are told.
      std::cerr << "mencoder: ffmpeg" << (statuses.size() > 1 ? i == 0 ? " (picture)" : " (sound and AVI)" : "")
                << " ended with status " << statuses[i] << "\n";
      if (status == 0) status = statuses[i];
    }
    if (status != 0) ffmpeg_cause_ = log.Cause();
    return status;
  }

  TempFolder& Temp() {
    if (!temp_) temp_.emplace("mencoder");
    return *temp_;
  }

  SubtitleFonts& Fonts() {
    if (!fonts_) fonts_.emplace(Temp().File("fonts"), SystemFontFolders());
    return *fonts_;
  }

  bool OpenAvsScript() {
    const auto text = ReadWholeFile(request_.input);
    std::string error;
    // The program writes the script in the system's code page, paths included.
    const auto script = text ? ParseAvsScript(AsUtf8(*text), error) : std::nullopt;
    if (!script) {
      std::cerr << "mencoder: " << (text ? error : "cannot read " + request_.input) << "\n";
      return false;
    }
    inputs_.media = script->video;
    if (script->subtitles.empty()) return true;
    const auto ssa = ReadWholeFile(script->subtitles);
    if (!ssa) {
      std::cerr << "mencoder: cannot read the subtitle file " << script->subtitles << "; encoding without it\n";
      return true;
    }
    // libass reads UTF-8; Korean SSA files are usually code page 949.
    std::string note;
    const std::string drawn = Fonts().ForSsa(AsUtf8(*ssa), note);
    if (!note.empty()) std::cerr << "mencoder: " << note << "\n";
    inputs_.fonts_dir = Fonts().Folder();
    inputs_.ssa = Temp().File("subtitles.ssa");
    if (!WriteWholeFile(inputs_.ssa, drawn)) {
      std::cerr << "mencoder: cannot write " << inputs_.ssa << "\n";
      return false;
    }
    return true;
  }

  void PrepareSubtitles() {
    const SubtitleOptions& options = *request_.subtitles;
    const auto bytes = ReadWholeFile(options.file);
    if (!bytes) {
      std::cerr << "mencoder: cannot read the subtitle file " << options.file << "; encoding without it\n";
      request_.subtitles.reset();
      return;
    }
    // The reader FFmpeg picks goes by the name, so the copy keeps its kind's ending.
    const SubtitleSource& kind = *SubtitleAt(options.file, kNativePathStyle).source;
    // The program's copy has its lines cut already; a copy written otherwise is cut here.
    std::string text = BoundSubtitleLines(PrepareSubtitleText(*bytes, kind.IsHtml()), kind.IsHtml(), true);
    inputs_.subtitles = Temp().File("subtitles" + kind.CopyExtension());
    std::string note;
    if (kind.KeepsOwnStyles()) {
      // Its own fonts, or ones that have its characters where they are missing here.
      text = Fonts().ForSsa(text, note);
      inputs_.subtitles_styled = true;
    } else {
      inputs_.font_family = Fonts().ForFontFile(options.font, CharactersNeeded(text), note);
    }
    WriteWholeFile(inputs_.subtitles, text);
    if (!note.empty()) std::cerr << "mencoder: " << note << "\n";
    inputs_.fonts_dir = Fonts().Folder();
  }

  // The source's own subtitle track `track` (-sid): a picture track is laid over the
  // picture, a text track drawn by the subtitles filter straight from the source, an
  // ASS one with its own styles, any other with the plain route's font and size.
  void PrepareTrack(int track) {
    const std::vector<std::string>& codecs = inputs_.facts.subtitle_codecs;
    if (track < 0 || static_cast<std::size_t>(track) >= codecs.size()) {
      std::cerr << "mencoder: the source has no subtitle track " << track << "; encoding without subtitles\n";
      request_.subtitles.reset();
      return;
    }
    const std::string& codec = codecs[static_cast<std::size_t>(track)];
    std::cerr << "mencoder: drawing the source's subtitle track " << track << " (" << codec << ")\n";
    if (IsPictureSubtitleCodec(codec)) {
      inputs_.picture_subtitle_track = track;
      request_.subtitles.reset();
      return;
    }
    inputs_.subtitles = inputs_.media;
    inputs_.subtitle_track = track;
    std::string note;
    // The track's text is not read here: the font is asked only for Korean letters.
    inputs_.font_family = Fonts().ForFontFile(request_.subtitles->font, CharactersNeeded(u8"\uAC00"), note);
    inputs_.subtitles_styled = codec == "ass" || codec == "ssa";
    if (inputs_.subtitles_styled) {
      // Its own styles stand, with the fonts the video carries or those here. A font
      // that is neither leaves the renderer nothing to draw with where no font service
      // stands in for it (Wine): every style then takes the plain route's font.
      const std::optional<SubtitleTrackHeader> header = SubtitleTrackHeaderHere(inputs_.media, track);
      // Without a plain font either, the renderer's default is all there is; the note above says so.
      if (header && !header->fonts_attached && !inputs_.font_family.empty() &&
          !Fonts().TakeStyleFonts(AsUtf8(header->header))) {
        inputs_.styled_font = inputs_.font_family;
        note += std::string(note.empty() ? "" : "; ") + "a font of the track's styles is not here: drawn with " +
                inputs_.font_family;
      }
    }
    if (!note.empty()) std::cerr << "mencoder: " << note << "\n";
    inputs_.fonts_dir = Fonts().Folder();
  }

  EncodeRequest request_;
  SignalRelay& relay_;
  JobReport job_;
  PreparedInputs inputs_;
  std::optional<TempFolder> temp_;
  std::optional<SubtitleFonts> fonts_;
  std::string ffmpeg_cause_;  // FFmpeg's own line naming why it failed, or empty
};

}  // namespace

int ToolMain(const std::vector<std::string>& args, SignalRelay& relay) {
  // "-identify <file>": the picture's size as FFmpeg reads it, for the program to plan
  // with where MediaInfo cannot tell it.
  if (args.size() == 2 && args[0] == "-identify") {
    const std::optional<SourceFacts> here = ProbeSourceHere(args[1]);
    const SourceFacts facts = here ? *here : ProbeSource(args[1]);
    if (facts.width <= 0 || facts.height <= 0) {
      std::cerr << "mencoder: no picture found in " << args[1] << "\n";
      return 1;
    }
    std::cout << "ID_VIDEO_WIDTH=" << facts.width << "\nID_VIDEO_HEIGHT=" << facts.height << "\n";
    return 0;
  }
  if (JobReport().StopRequested()) {
    std::cerr << "mencoder: the job was stopped\n";
    return 1;
  }
  const ParsedRequest parsed = ParseMencoderCommandLine(args);
  if (!parsed.error.empty()) {
    std::cerr << "mencoder: " << parsed.error << "\n";
    return 1;
  }
  try {
    return Encoder(parsed.request, relay).Run();
  } catch (const std::exception& failure) {
    std::cerr << "mencoder: " << failure.what() << "\n";
    return 1;
  }
}

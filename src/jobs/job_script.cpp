#include "jobs/job_script.h"

#include <vector>

#include "common/subtitle_text.h"
#include "common/text.h"
#include "jobs/encoder_options.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

enum class SubtitleRoute { kNone, kPlain, kColoured };

// The subtitle as mencoder reads it: UTF-8 with CR LF lines. A file that starts with
// EF BB is taken to be UTF-8 already and copied as it is.
std::string SubtitleCopyBytes(const std::string& bytes) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  if (bytes.size() >= 2 && byte(0) == 0xEF && byte(1) == 0xBB) return bytes;
  if (bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE)
    return WithCrLfLines(Utf16ToUtf8(Utf16Units(bytes.substr(2), false)));
  if (bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF)
    return WithCrLfLines(Utf16ToUtf8(Utf16Units(bytes.substr(2), true)));
  // Anything else, a file of fewer than two bytes included, is text of the code page.
  return WithCrLfLines(SubtitleTextToUtf8(bytes));
}

bool SamePath(const std::string& a, const std::string& b, PathStyle style) {
  // Windows file names do not tell letter case apart.
  return style == PathStyle::kWindows ? EqualsIgnoringAsciiCase(a, b) : a == b;
}

// Undoes a build that failed half-way, so that no stray files are left in temp.
class BuildCleanup {
 public:
  explicit BuildCleanup(FileSystem& files) : files_(files) {}
  ~BuildCleanup() {
    if (!done_)
      for (const std::string& path : made_) files_.RemoveFile(path);
  }
  void Made(const std::string& path) { made_.push_back(path); }
  void Done() { done_ = true; }

 private:
  FileSystem& files_;
  std::vector<std::string> made_;
  bool done_ = false;
};

}  // namespace

std::string JobSkipMessage(JobSkip skipped, const std::string& video_path) {
  if (skipped != JobSkip::kSourceIsOutput) return {};
  return Utf8ToAnsi(u8"변환할 동영상이 결과 파일과 같은 파일이라 건너뜁니다: ") + video_path;
}

JobBuild BuildJobScript(const std::string& video_path, const MediaFacts& facts, JobContext& context) {
  JobBuild result;
  if (facts.height == 0) {
    result.skipped = JobSkip::kNoPicture;
    return result;
  }
  const Workspace& workspace = context.workspace;
  const PathStyle style = workspace.Style();
  const std::string output = workspace.OutputPath(video_path);
  if (SamePath(video_path, output, style)) {
    result.skipped = JobSkip::kSourceIsOutput;
    return result;
  }
  FileSystem& files = context.files;
  const EncodeSettings& settings = context.settings;
  BuildCleanup cleanup(files);

  const std::string job_log = files.MakeUniqueTempFile(workspace.Temp(), "qv");
  cleanup.Made(job_log);
  const std::string temp_base = WithoutExtension(job_log, style);
  const std::string subtitle_copy = temp_base + ".smi";
  const std::string raw_video = temp_base + settings.rawvideoext;
  const std::string raw_audio = temp_base + ".aac";
  // The first pass of the subtitle-sync route takes the ".avi" name; its main encode
  // then writes beside it with "2" appended.
  const std::string first_pass_output = temp_base + ".avi";
  const std::string main_output = settings.subtitlesync ? first_pass_output + "2" : first_pass_output;

  std::vector<ScriptStep> steps{DeleteStep(output)};
  for (const std::string& stale : {first_pass_output, subtitle_copy, raw_video, raw_audio}) files.RemoveFile(stale);

  const std::string subtitle = SubtitlePath(video_path, style);
  const bool has_subtitle = files.Exists(subtitle);
  if (has_subtitle) {
    const auto bytes = files.ReadWholeFile(subtitle);
    if (!bytes) throw PlatformError("Cannot read " + subtitle);
    cleanup.Made(subtitle_copy);
    files.ReplaceWholeFile(subtitle_copy, SubtitleCopyBytes(*bytes));
  }

  const PictureGeometry geometry = PlanGeometry(facts, settings);
  SubtitleRoute route = SubtitleRoute::kNone;
  if (settings.needsubtitle && has_subtitle)
    route = settings.colorsubtitle ? SubtitleRoute::kColoured : SubtitleRoute::kPlain;

  std::string encode_input = video_path;
  AvsFiles avs;
  if (route == SubtitleRoute::kColoured) {
    // With the subtitle-sync route the drawing must happen on the resynchronised
    // first pass, so that the result has both the synchronised sound and the colours.
    const std::string source = settings.subtitlesync ? first_pass_output : video_path;
    avs = context.write_avs(video_path, source,
                            SubtitleMetrics(geometry, facts, settings.subtitlefontsize));
    cleanup.Made(avs.ssa);
    cleanup.Made(avs.avs);
    encode_input = avs.avs;
  }

  EncoderOptions options = BuildEncoderOptions(settings, facts, SubtitleFont(settings),
                                               route == SubtitleRoute::kPlain ? subtitle_copy : "");
  if (settings.subtitlesync) {
    steps.push_back(ToolStep("mencoder",
                             {Opt("-noodml"), PathArg(video_path), Opt("-ovc copy"), Opt(options.sync),
                              Opt(options.audio), Opt(options.audioFilter), Opt("-o"), PathArg(first_pass_output)},
                             Redirect::kErrors, job_log));
    options.sync.clear();
    options.audioFilter.clear();
    // On the colour route AviSynth hands over decoded sound, which cannot be copied as
    // AAC: it is encoded again with the job's audio options.
    if (route != SubtitleRoute::kColoured) {
      options.audio = "-oac copy";
      encode_input = first_pass_output;
    }
  }

  std::vector<ScriptArg> main_args{Opt("-noodml"), PathArg(encode_input), Opt(options.sync),
                                   Opt(options.audio), Opt(options.audioFilter), Opt("-vf-add harddup"),
                                   Opt(options.frameRateOption), Opt(geometry.cropOption),
                                   Opt(geometry.scaleOption), Opt(geometry.expandOption),
                                   Opt(options.video), Opt(geometry.rotateOption)};
  if (options.subtitle.empty())
    main_args.push_back(Opt(""));  // an empty option still keeps its blanks
  else
    main_args.insert(main_args.end(), options.subtitle.begin(), options.subtitle.end());
  main_args.insert(main_args.end(), {Opt("-lavcopts threads=2"), Opt("-o"), PathArg(main_output)});
  steps.push_back(ToolStep("mencoder", main_args, Redirect::kErrors, job_log));

  steps.push_back(ToolStep("mencoder",
                           {Opt("-ovc copy -nosound -of rawvideo -o"), PathArg(raw_video), PathArg(main_output)},
                           Redirect::kOutputTight, job_log));
  steps.push_back(ToolStep("mencoder",
                           {Opt("-ovc frameno -oac copy -of rawaudio -o"), PathArg(raw_audio), PathArg(main_output)},
                           Redirect::kOutputTight, job_log));
  steps.push_back(ToolStep("mp4creator", {Opt("-c"), PathArg(raw_video), Opt("-rate=" + options.frameRate),
                                          PathArg(output)}));
  steps.push_back(ToolStep("mp4creator", {Opt("-c"), PathArg(raw_audio), PathArg(output)}));

  if (route == SubtitleRoute::kColoured) {
    steps.push_back(DeleteStep(avs.avs));
    steps.push_back(DeleteStep(avs.ssa));
  }
  if (has_subtitle) steps.push_back(DeleteStep(subtitle_copy));
  if (settings.subtitlesync) steps.push_back(DeleteStep(first_pass_output));
  for (const std::string& intermediate : {main_output, raw_video, raw_audio, job_log})
    steps.push_back(DeleteStep(intermediate));

  result.script = workspace.Batch() + Separator(style) + VideoBaseName(video_path, style) +
                  ScriptExtension(context.dialect);
  files.ReplaceWholeFile(result.script, RenderScript(context.dialect, workspace.AppDir(), steps));
  cleanup.Done();
  return result;
}

}  // namespace clipvane

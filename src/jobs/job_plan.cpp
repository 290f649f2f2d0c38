#include "jobs/job_plan.h"

#include <algorithm>

#include "jobs/encoder_options.h"
#include "settings/subtitle_fonts.h"
#include "settings/settings_store.h"

namespace clipvane {
const std::vector<std::string>& RunScriptNames() {
  static const std::vector<std::string> names{"encode_all", "encode_al1", "encode_al2", "encode_a41",
                                              "encode_a42", "encode_a43", "encode_a44", "slurm_task"};
  return names;
}

std::optional<RefusalReason> PictureRefusal(const MediaFacts& facts) {
  if (facts.height != 0)
    return facts.width < kMinPictureSide || facts.height < kMinPictureSide
               ? std::optional<RefusalReason>(RefusalReason::kPictureTooSmall)
               : std::nullopt;
  // A report without a Video section comes from a file that is no video at all (a
  // text file named .avi); no report at all tells nothing.
  return facts.video_section || facts.report.empty() ? RefusalReason::kNoPicture : RefusalReason::kNoVideoStream;
}

std::optional<RefusalReason> JobRefusal(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                                        const Workspace& workspace) {
  if (const auto refusal = PictureRefusal(facts)) return refusal;
  const PathStyle style = workspace.Style();
  if (SamePath(video_path, target.output, style)) return RefusalReason::kSourceIsOutput;
  for (const std::string& run_script : RunScriptNames())
    if (SamePath(target.name, run_script, style)) return RefusalReason::kRunScriptName;
  // A file name holds at most 255 bytes here; the longest the job writes is the MP4's
  // or the log's. Windows counts characters and says so itself when a name is too long.
  const std::size_t longest = std::max(FileNamePart(target.output, style).size(), target.name.size() + 4);
  if (style == PathStyle::kPosix && longest > kMaxFileNameBytes) return RefusalReason::kNameTooLong;
  return std::nullopt;
}

JobPlan PlanJob(const std::string& video_path, const JobTarget& target, const MediaFacts& facts,
                const FoundSubtitle& subtitle, const std::string& job_log, const JobSetup& setup) {
  const bool has_subtitle = static_cast<bool>(subtitle);
  const EncodeSettings& settings = setup.settings;
  JobPlan plan;
  JobFiles& files = plan.files;
  files = NameJobFiles(video_path, target, subtitle, job_log, setup.workspace, setup.dialect, settings, setup.preset);
  plan.stale = {files.first_pass_output, files.subtitle_copy, files.raw_video,
                files.raw_audio,         files.temp_output,   files.kept_log};
  plan.geometry = PlanGeometry(facts, settings, setup.preset);
  // A track inside the video is drawn by the encoder as it reads the video: the
  // coloured route's AviSynth script opens only the picture (DirectShowSource) and
  // TextSub draws only a file, so that route gives way to the encoder's. A text track
  // gets the plain route's font and size there, an ASS track keeps its own styles, a
  // picture track is drawn as it is.
  const bool drawn_from_video = subtitle.DrawnFromVideo();
  if (settings.needsubtitle && has_subtitle) {
    plan.route = settings.colorsubtitle && !drawn_from_video ? SubtitleRoute::kColoured : SubtitleRoute::kPlain;
    plan.subtitle_track = subtitle.source->TrackToDraw(subtitle, settings.subtitleclass);
  }
  // The subtitle-sync route's first pass copies the picture into an AVI, which keeps
  // no subtitle track: a job drawing one reads the video itself, and its one encode
  // treats the sound as the first pass would have.
  const bool sync_pass = settings.subtitlesync && !plan.subtitle_track;

  std::vector<ScriptStep>& steps = plan.steps;
  steps.push_back(StatusFileStep(files.record));
  steps.push_back(DeleteStep(files.temp_output));
  std::string encode_input = video_path;
  if (plan.route == SubtitleRoute::kColoured) {
    plan.metrics = DescriptorOf(settings.platform).sized_by_shorter_side
                       ? ShorterSideSubtitleMetrics(facts, setup.preset.subtitlefontsize)
                       : SubtitleMetrics(plan.geometry, facts, setup.preset.subtitlefontsize);
    // With the subtitle-sync route the drawing must happen on the resynchronised
    // first pass, so that the result has both the synchronised sound and the colours.
    plan.avs_source = settings.subtitlesync ? files.first_pass_output : video_path;
    encode_input = files.avs.avs;
  }

  const PictureSize& picture = plan.geometry.expand;
  // A track drawn by the encoder takes the plain route's font and size, even where the
  // settings chose colours (whose size list and face name are TextSub's).
  const bool plain_instead = plan.subtitle_track && settings.colorsubtitle;
  EncoderPreset preset = setup.preset;
  if (plain_instead) preset.subtitlefontsize = PlainSubtitleSize(settings);
  EncoderOptions options = BuildEncoderOptions(
      settings, preset, facts,
      plain_instead ? PlainSubtitleFont(settings, setup.fontsdir) : SubtitleFont(settings, setup.fontsdir),
      plan.route == SubtitleRoute::kPlain && !plan.subtitle_track ? files.subtitle_copy : "",
      std::min(picture.width, picture.height), plan.subtitle_track);
  if (sync_pass) {
    std::vector<ScriptArg> first_pass{Opt("-noodml"), PathArg(video_path)};
    if (!options.audio_track.empty()) first_pass.push_back(Opt(options.audio_track));
    first_pass.insert(first_pass.end(), {Opt("-ovc copy"), Opt(options.sync), Opt(options.audio),
                                         Opt(options.audio_filter), Opt("-o"), PathArg(files.first_pass_output)});
    steps.push_back(Checked(ToolStep("mencoder", first_pass, Redirect::kErrors, files.job_log)));
    options.sync.clear();
    options.audio_filter.clear();
    // On the colour route AviSynth hands over decoded sound, which cannot be copied as
    // AAC: it is encoded again with the job's audio options.
    if (plan.route != SubtitleRoute::kColoured) {
      options.audio = "-oac copy";
      encode_input = files.first_pass_output;
    }
  }

  const PictureGeometry& geometry = plan.geometry;
  std::vector<ScriptArg> main_args{Opt("-noodml"), PathArg(encode_input)};
  // After the first pass the sound is its one track, on the colour route too, whose
  // script then opens the first pass.
  if (!sync_pass && !options.audio_track.empty()) main_args.push_back(Opt(options.audio_track));
  main_args.insert(main_args.end(),
                   {Opt(options.sync), Opt(options.audio), Opt(options.audio_filter), Opt("-vf-add harddup"),
                    Opt(options.frame_rate_option), Opt(geometry.crop_option), Opt(geometry.scale_option),
                    Opt(geometry.expand_option), Opt(options.video), Opt(geometry.rotate_option)});
  if (options.subtitle.empty()) main_args.push_back(Opt(""));  // an empty option still keeps its blanks
  else main_args.insert(main_args.end(), options.subtitle.begin(), options.subtitle.end());
  main_args.insert(main_args.end(), {Opt("-lavcopts threads=2"), Opt("-o"), PathArg(files.main_output)});
  steps.push_back(Checked(ToolStep("mencoder", main_args, Redirect::kErrors, files.job_log)));

  // Every tool's messages go to the log, so that a failed step's own words tell why.
  steps.push_back(Checked(ToolStep(
      "mencoder", {Opt("-ovc copy -nosound -of rawvideo -o"), PathArg(files.raw_video), PathArg(files.main_output)},
      Redirect::kAllTight, files.job_log)));
  steps.push_back(Checked(ToolStep(
      "mencoder", {Opt("-ovc frameno -oac copy -of rawaudio -o"), PathArg(files.raw_audio), PathArg(files.main_output)},
      Redirect::kAllTight, files.job_log)));
  steps.push_back(Checked(
      ToolStep("mp4creator",
               {Opt("-c"), PathArg(files.raw_video), Opt("-rate=" + options.frame_rate), PathArg(files.temp_output)},
               Redirect::kErrors, files.job_log)));
  steps.push_back(Checked(ToolStep("mp4creator", {Opt("-c"), PathArg(files.raw_audio), PathArg(files.temp_output)},
                                   Redirect::kErrors, files.job_log)));
  // The check decides: only an MP4 that holds the video takes the final name.
  // The check holds the MP4 against the track it was made from.
  const std::string check = options.audio_track.empty() ? "-check" : "-check " + options.audio_track;
  steps.push_back(Checked(ToolStep("mp4creator",
                                   {Opt(check), PathArg(video_path), PathArg(files.temp_output), PathArg(files.output)},
                                   Redirect::kErrors, files.job_log)));

  std::vector<ScriptStep> cleanup;
  if (plan.route == SubtitleRoute::kColoured) {
    cleanup.push_back(DeleteStep(files.avs.avs));
    cleanup.push_back(DeleteStep(files.avs.ssa));
  }
  if (has_subtitle && !drawn_from_video) cleanup.push_back(DeleteStep(files.subtitle_copy));
  if (sync_pass) cleanup.push_back(DeleteStep(files.first_pass_output));
  for (const std::string& intermediate : {files.main_output, files.raw_video, files.raw_audio})
    cleanup.push_back(DeleteStep(intermediate));
  steps.insert(steps.end(), cleanup.begin(), cleanup.end());
  steps.push_back(MoveStep(files.job_log, files.kept_log));
  plan.on_failure.push_back(DeleteStep(files.temp_output));
  plan.on_failure.insert(plan.on_failure.end(), cleanup.begin(), cleanup.end());
  plan.on_failure.push_back(MoveStep(files.job_log, files.kept_log));
  // Last, once the log is where the user reads it: why the job failed, or that it was stopped.
  plan.on_failure.push_back(ToolStep("mp4creator", {Opt("-failed"), PathArg(files.kept_log)}));
  return plan;
}

}  // namespace clipvane

#include "tool_runs.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "platform/file_system.h"
#include "platform/child_processes.h"
#include "platform/ini_profile.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "settings/settings_store.h"

namespace clipvane::testing {

static const char* const kExe = kNativePathStyle == PathStyle::kWindows ? ".exe" : "";

std::string FfprobeProgram() { return std::string(CLIPVANE_FFMPEG_DIR) + "ffprobe" + kExe; }
std::string FfmpegProgram() { return std::string(CLIPVANE_FFMPEG_DIR) + "ffmpeg" + kExe; }
std::filesystem::path FsPathOf(const std::string& text) { return std::filesystem::u8path(AnsiToUtf8(text)); }

JobSettings PresetSettings(int qulity, int platform) {
  TempFolder folder;
  const std::unique_ptr<IniProfile> ini = OpenIniProfile(folder.WriteFile(
      "MP4.ini", "[default]\nqulity=" + std::to_string(qulity) + "\nplatform=" + std::to_string(platform) +
                     "\ndisplay=2\nneedsubtitle=0\nfontname=gulim.ttc,Gulim\n"));
  JobSettings job;
  LoadSettings(job.settings, job.preset, *ini);
  job.fontsdir = kNativePathStyle == PathStyle::kWindows ? FontsFolder() + "\\" : "/nonexistent/Fonts/";
  return job;
}

ProgramRun RunProgram(const std::vector<std::string>& argv) {
  std::vector<std::string> utf8;
  for (const std::string& arg : argv) utf8.push_back(AnsiToUtf8(arg));
  ProgramRun run;
  const auto status = RunChild(utf8, {DeliveredTo([&run](const std::string& chunk) { run.output += chunk; }),
                                      DeliveredTo([&run](const std::string& chunk) { run.errors += chunk; })});
  run.status = status ? *status : 127;
  if (!status) run.errors += status.error().Text();
  return run;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

void RunFfmpeg(const std::vector<std::string>& args) {
  std::vector<std::string> argv{FfmpegProgram(), "-v", "error", "-nostdin", "-y"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProgramRun run = RunProgram(argv);
  if (run.status != 0) throw std::runtime_error("ffmpeg failed on " + argv.back() + ": " + run.errors);
}

void MakeVideo(const std::string& path, const std::string& video, const std::string& audio,
               const std::string& options) {
  std::vector<std::string> args{"-f", "lavfi", "-i", video};
  if (!audio.empty()) args.insert(args.end(), {"-f", "lavfi", "-i", audio, "-shortest"});
  for (const std::string& word :
       Words(options.empty() ? "-c:v libx264 -preset ultrafast -pix_fmt yuv420p -c:a aac" : options))
    args.push_back(word);
  args.push_back(path);
  RunFfmpeg(args);
}

MediaReport Probe(const std::string& path) {
  // One line a stream, "key=value" pairs apart by "|", then the format's duration.
  std::istringstream lines(
      RunProgram({FfprobeProgram(), "-v", "error", "-show_entries",
                  "stream=codec_type,codec_name,codec_tag_string,profile,level,width,height,r_frame_rate,"
                  "avg_frame_rate,sample_rate,channels,bit_rate,start_time,color_primaries,color_transfer,color_space:"
                  "format=duration",
                  "-of", "compact=p=0", path})
          .output);
  MediaReport r;
  for (std::string line; std::getline(lines, line);) {
    std::map<std::string, std::string> f;
    std::istringstream pairs(line.substr(0, line.find('\r')));
    for (std::string pair; std::getline(pairs, pair, '|');)
      f[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
    const auto n = [&f](const char* key) { return std::atof(f[key].c_str()); };
    const auto rate = [&f, &n](const char* key) {  // "30000/1001"
      const double denominator = std::atof(f[key].c_str() + f[key].find('/') + 1);
      return denominator > 0 ? n(key) / denominator : 0;
    };
    if (f.count("duration")) r.duration = n("duration");
    r.streams += f.count("codec_type") > 0;
    if (f["codec_type"] == "audio" && r.audio_codec.empty()) {
      std::tie(r.audio_codec, r.audio_profile, r.audio_start) =
          std::tuple(f["codec_name"], f["profile"], n("start_time"));
      std::tie(r.sample_rate, r.channels, r.audio_bit_rate) =
          std::tuple(n("sample_rate"), n("channels"), n("bit_rate"));
    } else if (f["codec_type"] == "video" && r.video_codec.empty()) {
      std::tie(r.video_codec, r.video_tag, r.video_profile) =
          std::tuple(f["codec_name"], f["codec_tag_string"], f["profile"]);
      std::tie(r.level, r.width, r.height) = std::tuple(n("level"), n("width"), n("height"));
      std::tie(r.video_start, r.frame_rate, r.base_rate) =
          std::tuple(n("start_time"), rate("avg_frame_rate"), rate("r_frame_rate"));
      r.colours = f["color_primaries"] + "," + f["color_transfer"] + "," + f["color_space"];
    }
  }
  // Whichever box comes first, its name is met before any payload that could spell the other's.
  const std::string bytes = NativeFileSystem().ReadWholeFile(path).value_or("");
  r.moov_first = bytes.find("moov") < bytes.find("mdat");
  return r;
}

namespace {

// The data of the chunks of an AVI's "movi" list whose id ends in `kind` ("db", "dc",
// "wb"), the first one only or all of them.
std::string AviChunks(const std::string& avi, const std::string& kind, bool first_only) {
  std::string data;
  for (std::size_t at = avi.find("movi"); at != std::string::npos && at + 8 <= avi.size();) {
    const std::string id = avi.substr(at, 4);
    std::size_t size = 0;
    for (int k = 3; k >= 0; --k) size = size << 8 | static_cast<unsigned char>(avi[at + 4 + k]);
    if (id.substr(2) == kind) {
      data += avi.substr(at + 8, size);
      if (first_only) break;
    }
    at = id == "movi" ? at + 4 : at + 8 + size + (size & 1);
  }
  return data;
}

// What ffmpeg makes of the file from `seconds` on with these output options, as an AVI
// on stdout, which every FFmpeg build here can write.
std::string AviOf(const std::string& path, const std::string& seconds, const std::string& options) {
  std::vector<std::string> argv{FfmpegProgram(), "-v", "error", "-nostdin", "-ss", seconds, "-i", path};
  for (const std::string& word : Words(options + " -f avi pipe:1")) argv.push_back(word);
  return RunProgram(argv).output;
}

}  // namespace

std::vector<unsigned char> FrameRegion(const std::string& path, double seconds, int x, int y, int width, int height) {
  width -= width % 4;
  const std::string crop =
      std::to_string(width) + ":" + std::to_string(height) + ":" + std::to_string(x) + ":" + std::to_string(y);
  // One uncompressed frame.
  const std::string avi =
      AviOf(path, std::to_string(seconds), "-frames:v 1 -vf crop=" + crop + " -an -c:v rawvideo -pix_fmt bgr24");
  std::string frame = AviChunks(avi, "dc", true);
  if (frame.empty()) frame = AviChunks(avi, "db", true);
  std::vector<unsigned char> rgb(frame.begin(), frame.end());
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

double Pitch(const std::string& path) {
  // 16-bit mono samples, little-endian as on every machine here; half their zero crossings a second.
  const std::string bytes =
      AviChunks(AviOf(path, "0.5", "-t 1 -map 0:a:0 -ac 1 -ar 48000 -c:a pcm_s16le"), "wb", false);
  std::vector<std::int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  int crossings = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) crossings += (samples[i] < 0) != (samples[i - 1] < 0);
  return samples.empty() ? 0 : crossings / 2.0 / (static_cast<double>(samples.size()) / 48000);
}

int CountPixels(const std::vector<unsigned char>& rgb, bool (*test)(int r, int g, int b)) {
  int count = 0;
  for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) count += test(rgb[i], rgb[i + 1], rgb[i + 2]);
  return count;
}

double MeanDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  if (a.size() != b.size() || a.empty()) return -1;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
  return sum / static_cast<double>(a.size());
}

std::string PacketList(const std::string& path) {
  // Stream by stream: how the streams interleave is the container's business.
  std::string packets;
  for (const char* stream : {"0", "1"})
    packets += RunProgram({FfprobeProgram(), "-v", "error", "-select_streams", stream, "-show_entries",
                           "packet=stream_index,pts,dts,duration,size,flags,data_hash", "-show_data_hash", "MD5", "-of",
                           "csv=p=0", path})
                   .output;
  return packets;
}

ToolAppDir::ToolAppDir() : workspace_(folder_.Path(), kNativePathStyle) {
  namespace fs = std::filesystem;
  fs::create_directory(FsPathOf(folder_ / "bin"));
  // On Windows the release folder's layout: the FFmpeg programs and DLLs beside the stand-ins.
  for (const std::string tool : {"mencoder", "mp4creator", "ffmpeg", "ffprobe"})
    if (*kExe || tool[0] != 'f') fs::copy_file(fs::u8path(CLIPVANE_TOOLS_DIR) / (tool + kExe), FsPathOf(Bin(tool)));
#ifdef _WIN32
  // FFmpeg's DLLs, without which none of the four starts.
  for (const fs::directory_entry& file : fs::directory_iterator(fs::u8path(CLIPVANE_TOOLS_DIR)))
    if (file.path().extension() == ".dll")
      fs::copy_file(file.path(), FsPathOf(folder_ / "bin") / file.path().filename());
  // The program's MediaInfo.dll, with which the muxer's check reads the MP4 and its video.
  fs::copy_file(fs::u8path(CLIPVANE_TOOLS_DIR) / ".." / "MediaInfo.dll", FsPathOf(folder_ / "MediaInfo.dll"));
#endif
  workspace_.CreateFolders(NativeFileSystem());
}

std::string ToolAppDir::Bin(const std::string& tool) const {
  return folder_ / ("bin" + std::string(1, Separator(kNativePathStyle)) + tool + kExe);
}

JobBuild ToolAppDir::Build(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                           AvsScriptWriter write_avs) const {
  const JobSetup setup{workspace_, kNativeScriptDialect, job.settings, job.preset, job.fontsdir};
  JobContext context{setup, NativeFileSystem(), std::move(write_avs)};
  JobBuild build =
      BuildJobScript(video, LoneJobTarget(video, {workspace_.Incoming()}, kNativePathStyle), facts, context);
  if (build.files.script.empty()) throw std::runtime_error("no job script for " + video);
  return build;
}

ToolAppDir::Run ToolAppDir::BuildAndRun(const std::string& video, const MediaFacts& facts, const JobSettings& job,
                                        AvsScriptWriter write_avs) const {
  const JobBuild build = Build(video, facts, job, std::move(write_avs));
  const ProgramRun ran = RunProgram(kNativeScriptDialect == ScriptDialect::kWindowsBatch
                                        ? std::vector<std::string>{"cmd.exe", "/d", "/c", build.files.script}
                                        : std::vector<std::string>{"sh", build.files.script});
  return {build.files.output, ran.output + ran.errors,
          NativeFileSystem().ReadWholeFile(build.files.kept_log).value_or(""), ran.status};
}

#ifdef _WIN32
SmallDisk::SmallDisk(const std::string& folder, const std::string& size) : marker_(folder + "\\under-the-disk") {
  using UnixName = char*(__cdecl*)(const wchar_t*);
  const auto unix_name = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unix_name ? unix_name(AnsiToWide(folder).c_str()) : nullptr;
  if (!name) return;
  unix_folder_ = name;
  HeapFree(GetProcessHeap(), 0, name);
  NativeFileSystem().ReplaceWholeFile(marker_, "");
  RunProgram({"Z:\\bin\\sh", "-c", "[ \"$(id -u)\" = 0 ] && mount -t tmpfs -o size=" + size + " clipvane-test \"$1\"",
              "sh", unix_folder_});
  mounted_ = Eventually([&] { return !NativeFileSystem().Exists(marker_); }, 100);
}

SmallDisk::~SmallDisk() {
  if (mounted_) {
    RunProgram({"Z:\\bin\\sh", "-c", "umount \"$1\"", "sh", unix_folder_});
    Eventually([&] { return NativeFileSystem().Exists(marker_); }, 100);
  }
  NativeFileSystem().RemoveFile(marker_);
}
#else
SmallDisk::SmallDisk(const std::string& folder, const std::string& size) : unix_folder_(folder) {
  std::filesystem::create_directories(folder);
  mounted_ = ::geteuid() == 0 && ::mount("clipvane-test", folder.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
}

SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(unix_folder_.c_str(), MNT_DETACH);
}
#endif

void SmallDisk::FillLeaving(const std::string& filler, std::uintmax_t left) const {
  const std::string block(64 * 1024, 'x');
  for (std::ofstream out(FsPathOf(filler), std::ios::binary); out.write(block.data(), block.size());) continue;
  std::filesystem::resize_file(FsPathOf(filler), std::filesystem::file_size(FsPathOf(filler)) - left);
}

}  // namespace clipvane::testing

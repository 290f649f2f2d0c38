#include "ui/notices.h"

#include "jobs/script.h"
#include "platform/text_encoding.h"
#include "runs/encode_commands.h"
#include "session/session.h"

namespace clipvane {
namespace {

Notice Told(const char* utf8_text) { return {Utf8ToAnsi(utf8_text), Utf8ToAnsi(u8"알림")}; }
Notice Warned(const std::string& ansi_text) { return {ansi_text, Utf8ToAnsi(u8"경고"), Notice::Icon::kWarning}; }

std::string SourceIsOutputText(const std::string& path) {
  return Utf8ToAnsi(u8"변환할 동영상이 결과 파일과 같은 파일이라 건너뜁니다: ") + path;
}

// A video that cannot be converted, named with the reason, before any job starts.
std::string UnconvertibleText(const Refusal& refusal) {
  switch (refusal.reason) {
    case RefusalReason::kNoVideoStream: return Utf8ToAnsi(u8"영상이 없는 파일이라 건너뜁니다: ") + refusal.path;
    case RefusalReason::kPictureTooSmall:
      return Utf8ToAnsi(u8"화면이 너무 작아(가로세로 ") + std::to_string(kMinPictureSide) +
             Utf8ToAnsi(u8" 픽셀 미만) 건너뜁니다: ") + refusal.path;
    default: return Utf8ToAnsi(u8"동영상 정보를 구하지 못해 건너뜁니다: ") + refusal.path;
  }
}

bool IsUnconvertible(RefusalReason reason) {
  return reason == RefusalReason::kNoPicture || reason == RefusalReason::kNoVideoStream ||
         reason == RefusalReason::kPictureTooSmall;
}

// The refusals that pass `wanted`, worded by `text`, in one box; none when there are none.
template <typename Wanted, typename Text>
void TellInOneBox(const EncodeResult& result, Wanted wanted, Text text, std::vector<Notice>& notices) {
  std::string joined;
  for (const Refusal& refusal : result.refused)
    if (wanted(refusal.reason)) joined += (joined.empty() ? "" : "\r") + text(refusal);
  if (!joined.empty()) notices.push_back({joined, Utf8ToAnsi(u8"알림")});
}

// Why a row was left out, after its path and a blank line of the box; empty for the
// rows whose reason the list shows itself or that have boxes of their own.
std::string ReasonText(const Refusal& refusal) {
  switch (refusal.reason) {
    case RefusalReason::kRunScriptName:
      return Utf8ToAnsi(u8"배치 파일 이름이 일괄 인코딩 배치 파일과 같아 건너뜁니다. 동영상 파일 이름을 바꿔 주세요.");
    case RefusalReason::kNameTooLong: return Utf8ToAnsi(u8"파일 이름이 너무 길어 건너뜁니다.");
    case RefusalReason::kSubtitleNotAFile: return Utf8ToAnsi(u8"자막(.smi, .srt)이 파일이 아니어서 건너뜁니다.");
    case RefusalReason::kInIncoming: return Utf8ToAnsi(u8"변환된 MP4 파일(저장 폴더 안)이라 건너뜁니다.");
    case RefusalReason::kCannotScript:
      return Utf8ToAnsi(u8"인코딩 배치 파일을 만들지 못해 건너뜁니다: ") + refusal.detail;
    case RefusalReason::kNotLaunched: return Utf8ToAnsi(u8"인코딩 배치 파일을 실행하지 못했습니다: ") + refusal.detail;
    case RefusalReason::kAlreadyRunning: return Utf8ToAnsi(u8"이미 인코딩 중입니다.");
    default: return {};
  }
}

std::string NotStartedText(const Refusal& refusal) { return refusal.path; }

}  // namespace

std::vector<Notice> SelectionNotices(const EncodeResult& result) {
  std::vector<Notice> notices;
  for (const Refusal& refusal : result.refused) {
    // The path, two line breaks of a box, and the sentence.
    if (refusal.reason == RefusalReason::kFileMissing)
      notices.push_back({refusal.path + Utf8ToAnsi(u8"\r\r선택한 파일이 존재하지 않습니다."), Utf8ToAnsi(u8"알림")});
    if (refusal.reason == RefusalReason::kSourceIsOutput)
      notices.push_back({SourceIsOutputText(refusal.path), Utf8ToAnsi(u8"알림")});
    if (IsUnconvertible(refusal.reason)) notices.push_back({UnconvertibleText(refusal), Utf8ToAnsi(u8"알림")});
    if (const std::string reason = ReasonText(refusal); !reason.empty())
      notices.push_back({refusal.path + "\r\r" + reason, Utf8ToAnsi(u8"알림")});
  }
  std::vector<Notice> not_started;
  TellInOneBox(
      result, [](RefusalReason reason) { return reason == RefusalReason::kNotStarted; }, NotStartedText, not_started);
  for (Notice& notice : not_started) {
    notice.text = Utf8ToAnsi(u8"한 번에 4개까지만 인코딩합니다. 다음 동영상은 시작하지 않았습니다:\r\r") + notice.text;
    notices.push_back(notice);
  }
  return notices;
}

std::vector<Notice> WholeListNotices(const EncodeResult& result, bool batch_files_only, ScriptDialect dialect) {
  std::vector<Notice> notices;
  TellInOneBox(
      result, [](RefusalReason reason) { return reason == RefusalReason::kSourceIsOutput; },
      [](const Refusal& refusal) { return SourceIsOutputText(refusal.path); }, notices);
  TellInOneBox(result, IsUnconvertible, UnconvertibleText, notices);
  for (const RefusalReason wanted :
       {RefusalReason::kRunScriptName, RefusalReason::kNameTooLong, RefusalReason::kSubtitleNotAFile,
        RefusalReason::kInIncoming, RefusalReason::kCannotScript, RefusalReason::kNotLaunched,
        RefusalReason::kAlreadyRunning})
    TellInOneBox(
        result, [wanted](RefusalReason reason) { return reason == wanted; },
        [](const Refusal& refusal) { return refusal.path + ": " + ReasonText(refusal); }, notices);
  if (batch_files_only && result.written)
    notices.push_back(
        {Utf8ToAnsi(u8"인코딩을 위한 배치파일(") + ScriptExtension(dialect) + Utf8ToAnsi(u8")들이 생성되었습니다."),
         Utf8ToAnsi(u8"알림")});
  return notices;
}

Notice NamesOutsideCodePageNotice(const std::vector<std::string>& utf8_names) {
  std::string text =
      u8"다음 파일은 이름에 이 컴퓨터의 문자 집합으로 나타낼 수 없는 글자가 있어 목록에 추가하지 못했습니다. "
      u8"파일 이름을 바꿔 주세요.\r";
  for (const std::string& name : utf8_names) text += "\r" + name;
  Notice notice{text, Utf8ToAnsi(u8"알림")};
  notice.utf8 = true;
  return notice;
}

Notice NotOpenedNotice(const std::string& target, const std::string& reason) {
  return Warned(target + "\r\r" +
                (reason.empty() ? Utf8ToAnsi(u8"열지 못했습니다. 이것을 여는 프로그램이 설치되어 있지 않습니다.")
                                : Utf8ToAnsi(u8"열지 못했습니다: ") + reason));
}

std::string SearchingText(const ProgressStep& step) {
  return Utf8ToAnsi(u8"동영상을 찾는 중 (") + std::to_string(step.count) + Utf8ToAnsi(u8"개 추가, Esc: 멈춤): ") +
         step.file;
}

std::string AddedText(const AddReport& report) {
  constexpr std::size_t kNamesShown = 3;
  std::string text = report.stopped ? Utf8ToAnsi(u8"추가를 멈췄습니다. ") : "";
  text += Utf8ToAnsi(u8"동영상 ") + std::to_string(report.added) + Utf8ToAnsi(u8"개를 추가했습니다.");
  if (report.already_listed > 0)
    text += Utf8ToAnsi(u8" 이미 목록에 있는 동영상 ") + std::to_string(report.already_listed) +
            Utf8ToAnsi(u8"개는 그대로 둡니다.");
  if (report.skipped.empty()) return text;
  text += Utf8ToAnsi(u8" 건너뛴 파일 ") + std::to_string(report.skipped.size()) + Utf8ToAnsi(u8"개: ");
  for (std::size_t i = 0; i < report.skipped.size() && i < kNamesShown; ++i)
    text += (i > 0 ? ", " : "") + FileNamePart(report.skipped[i].path, kNativePathStyle);
  if (report.skipped.size() > kNamesShown) text += Utf8ToAnsi(u8", …");
  return text;
}

Notice WideFrameNotice() {
  return Warned(Utf8ToAnsi(u8"지정한 [화면 설정]은 iPod touch와 iPhone을 위한 옵션 입니다."));
}

Notice SubtitleSyncNotice() {
  return Warned(Utf8ToAnsi(
      u8"자막이 영상과 안맞을 경우에만 이것을 체크해서 재인코딩하세요. (이 작업은 두단계를 거치므로 인코딩 속도가 좀 "
      u8"느립니다.)"));
}

Notice AviSynthQuestion() {
  // Four paragraphs, two carriage returns apart.
  Notice question = Told(
      u8"컬러태그 자막 적용을 위해서는 AviSynth를 설치해야 합니다.\r\r"
      u8"지금 설치 하시겠습니까?\r\r"
      u8"* AviSynth 홈페이지  http://avisynth.nl\r\r"
      u8"(컬러태크 적용시 인코딩 속도는 다소 느릴 수 있습니다.)");
  question.question = true;
  return question;
}

Notice VideoExtensionsNotice() {
  return Warned(Utf8ToAnsi(u8"동영상 확장자를 점 없이 쉼표로 나누어 적어 주세요. (예: avi,mp4,mkv)"));
}

Notice OutputFolderNotice() {
  return Warned(Utf8ToAnsi(u8"저장 폴더는 전체 경로로 적어 주세요. 비워 두면 incoming 폴더에 저장합니다."));
}

Notice MediaInfoNotice(MediaInfoProblem problem) {
  if (problem == MediaInfoProblem::kMissing)
    return Warned(
        Utf8ToAnsi(u8"MediaInfo.dll 파일을 찾지 못했습니다.\r\n"
                   u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
                   u8"프로그램 폴더에 MediaInfo.dll을 넣어 주세요."));
  return Warned(
      Utf8ToAnsi(u8"MediaInfo.dll 파일을 쓸 수 없습니다.\r\n"
                 u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
                 u8"프로그램 폴더의 MediaInfo.dll을 64비트용 새 파일로 바꿔 주세요."));
}

Notice ErrorNotice(const std::string& what) { return {what, "Clipvane", Notice::Icon::kError}; }

}  // namespace clipvane

#include "convert/conversion_failure_text.h"

#include "convert/helper_options.h"

namespace tarvello {
namespace {

const char* ProblemText(ConvertProblem problem) {
  switch (problem) {
    case ConvertProblem::kCannotOpen:
      return "ファイルがオープンできません.";
    case ConvertProblem::kCannotRead:
      return "ファイルが読み込めません.";
    case ConvertProblem::kNoAudio:
      return "音声が入っていません.";
    case ConvertProblem::kEncrypted:
      return "暗号化またはコピー保護された曲です.";
    case ConvertProblem::kNothingDecodes:
      return "再生できる音声がありません.";
    case ConvertProblem::kSourceChanged:
      return "変換中にファイルが変更または削除されました.";
    case ConvertProblem::kDiskFull:
      return "キャッシュのディスクがいっぱいです.";
    case ConvertProblem::kHelperCrashed:
      return "変換プログラムが異常終了しました.";
    case ConvertProblem::kHelperStalled:
      return "変換が進まなくなったため中止しました.";
    case ConvertProblem::kHelperGarbled:
      return "変換プログラムの応答が正しくありません.";
    case ConvertProblem::kHelperMissing:
      return "変換プログラムを起動できません.";
    case ConvertProblem::kOther:
      break;
  }
  return nullptr;
}

}  // namespace

std::string ConversionFailureText(const ConvertResult& result) {
  const char* text = ProblemText(result.problem);
  if (text == nullptr) return result.reason;
  // A full disk needs no detail; the others keep FFmpeg's or the system's words for a
  // bug report.
  if (result.problem == ConvertProblem::kDiskFull || result.reason.empty()) return text;
  return std::string(text) + " (" + result.reason + ")";
}

std::string MissingHelperText(const std::vector<std::string>& places) {
  std::string text = std::string("変換プログラム ") + kHelperProgramName +
                     " が見つからないため, MP3 や FLAC など変換の必要なファイルを追加できません."
                     "\r\n\r\n探した場所:";
  for (const std::string& place : places) text += "\r\n" + place;
  return text;
}

}  // namespace tarvello

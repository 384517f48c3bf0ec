#pragma once

// The messages of the output command and the output run.

#include <string>
#include <system_error>

#include "platform/platform.h"

namespace tarvello {

inline constexpr const char* kNotEnoughRoom =
    "出力先の空き領域が十分ではありません.\r\n出力対象曲を減らしてください.";
inline constexpr const char* kConfirmOutput =
    "出力先フォルダが存在しない場合フォルダを作成します.\r\n"
    "出力先フォルダ内のファイルは置き換えられます.\r\n\r\n出力を実行しますか？";

inline constexpr const char* kBackupFailed = "バックアップフォルダへのコピーに失敗しました.";
inline constexpr const char* kRenameFailed = "ファイルのリネームに失敗しました.";
inline constexpr const char* kDeleteFailed = "出力先フォルダ内のファイル削除に失敗しました.";
inline constexpr const char* kCreateFolderFailed = "出力先フォルダの作成に失敗しました.";
inline constexpr const char* kCopyFailed = "出力先フォルダへのファイルコピーに失敗しました.";
inline constexpr const char* kManagementFailed = "管理ファイルの書き込みに失敗しました.";
inline constexpr const char* kSetTimeFailed = "出力したファイルの日時を設定できませんでした.";
inline constexpr const char* kFlushFailed = "出力先への書き込みを完了できませんでした.";
inline constexpr const char* kTimeNotKept =
    "出力先のファイルシステムが, 設定した日時を保持しませんでした.";
inline constexpr const char* kSourceLeft =
    "出力先のファイルシステムが, リネーム後も元のファイル名を残しました.";
inline constexpr const char* kTargetNotMoved =
    "出力先のファイルシステムが, リネームしたと応答しましたがファイルを移動しませんでした.";
inline constexpr const char* kIncompleteFolder =
    "出力が中断されたため、出力先フォルダは不完全です.\r\n出力を再実行すると完成します.";

// Why a change to a file failed: the system's message for a refused call, else what the
// file system did instead.
inline std::string ChangeFaultText(const FileChange& change) {
  switch (change.fault) {
    case ChangeFault::kNone:
      return {};
    case ChangeFault::kRefused:
      return std::system_category().message(change.error_number);
    case ChangeFault::kTimeNotKept:
      return kTimeNotKept;
    case ChangeFault::kSourceLeft:
      return kSourceLeft;
    case ChangeFault::kTargetNotMoved:
      return kTargetNotMoved;
  }
  return {};
}

// A message and, on a line of its own, what it is about (a path, mostly).
inline std::string WithLine(const char* message, const std::string& text) {
  return std::string(message) + "\r\n" + text;
}

// "出力先フォルダへ %d 曲を出力しました." for `written` songs.
inline std::string CompletionText(int written) {
  return "出力先フォルダへ " + std::to_string(written) + " 曲を出力しました.";
}

}  // namespace tarvello

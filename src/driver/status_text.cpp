#include "driver/status_text.h"

#include "driver/run_state.h"

namespace dm {

std::string statusText(int code) {
  switch (code) {
    case status::kChecking: return "データチェック中...";
    case status::kBuilding: return "作成中...";
    case status::kCreated: return "デスクトップ上のドリルフォルダに\nファイルを作成しました。";
    case status::kTooManyTexts: return "エラー:テキストファイルが複数存在します。";
    case status::kNoText: return "エラー:テキストファイルがありません。";
    case status::kNotWritable: return "エラー:このディスクは読み取り専用です。";
    case status::kDiskFull: return "エラー:ハードディスクの空き領域が不足しています。";
    case status::kTooLarge: return "エラー:ドリルファイルの総容量は4GBです。";
    default: return "";
  }
}

}  // namespace dm

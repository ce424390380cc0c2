#include "intake/error_list.h"
#include "textio/format.h"

#include <cstdio>

namespace dm {

std::u16string_view errorMessage(int code) {
  switch (code) {
    case 1: return u"無効なメニューです。";
    case 7: return u"拡張子が正しくありません。";
    case 11: return u"タブ数が8未満です。";
    case 12: return u"タブ数が17を超えています。";
    case 16: return u"制限時間の記述が正しくありません。";
    case 18: return u"問題番号は1～9999まで有効です。";
    case 20: return u"正解番号が無効です。";
    case 22: return u"フォーマットエラー";
    case 23: return u"不正なタグがあります。";
    case 24: return u"選択肢に空白があります。";
    case 30: return u"[Genre X] has control charater: \"<N>\" or \"<P>\" or \"<V>\"";
    case 31: return u"ファイルがありません:";
    case 32: return u"ファイルがありません:";
    case 37: return u"タグ内の記述が正しくありません。";
    case 40: return u"制限時間の記述が正しくありません。";
    case 43: return u"各項目は最大4,000文字です。";
    case 46: return u"各分類の問題数は最大999です。";
    case 48: return u"問題数は最大20,000です。";
    case 50: return u"画像数は最大65,000です。";
    case 51: return u"音声数は最大4,000,000,00です。";
    case 52: return u"ファイルの記述が正しくありません。";
    case 53: return u"正解番号がありません。";
    case 54: return u"画像ファイルの総容量は800MBです。";
    case 55: return u"音声ファイルの総容量は1GBです。";
    case 56: return u"文字色の設定に誤りがあります。もう一度確認して下さい。";
    case 57: return u"(注)GIF画像のため1枚目の画像のみ表示されます。";
    case 58: return u"指摘が多すぎるため、この行から後は確認していません。";
    default: return u"";
  }
}

std::u16string_view tagRuleMessage(int kind) {
  switch (kind) {
    case 4: return u"問題がありません。";
    case 5: return u"正解番号がありません。";
    case 8: return u"選択肢がありません。";
    default: return u"";
  }
}

namespace {

std::u16string decimal8(std::int32_t n) {
  const std::string digits = formatted("%08d", static_cast<int>(n));
  std::u16string out;
  for (const char* p = digits.c_str(); *p; ++p) out.push_back(static_cast<char16_t>(*p));
  return out;
}

}  // namespace

ErrorEntry makeErrorEntry(int code, std::optional<std::u16string_view> text, EntryType type,
                          std::int32_t lineNumber) {
  ErrorEntry e;
  e.type = type;
  e.code = static_cast<std::uint8_t>(code);
  switch (type) {
    case kLineEntry:
      e.text = decimal8(lineNumber);
      if (text) {
        if (code == errc::kTagRule) {
          e.text += u"<T>";
          if (!text->empty()) e.text.push_back(text->front());
        } else {
          e.text += u"<F>";
          e.text += *text;
        }
      }
      break;
    case kSummaryEntry:
      if (text) e.text = *text;
      break;
    case kPictureEntry:
    case kSoundEntry:
      e.text = decimal8(0);
      e.text += u" \t";
      if (text) e.text += *text;
      e.text += u"  \t";
      e.text += errorMessage(code);
      break;
  }
  return e;
}

}  // namespace dm

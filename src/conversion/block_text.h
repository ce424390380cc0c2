// BlockText: the UTF-16LE tagged text that the conversion writes stage by
// stage and the dictionary compiler reads (Middata/Source/Drill.cln).
//
// A file begins with the mark FF FE; every line ends with CR LF. A line is a
// block begin ("START_BLOCK_<kind>\t"), a block end ("END_BLOCK_<kind>\t"), a
// field line (tag, TAB, value) or an empty line (CR LF alone). An entry runs
// from "START_BLOCK_Word\t" to "END_BLOCK_Word\t" and is followed by one
// empty line. Tags are recognised by comparing the start of a line.
//
// This header holds every constant of the format (block lines, tags,
// suffixes, device codes, ids, jump address) and the small line helpers
// shared by the passes and the readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm::blocktext {

// ---- Line syntax ----------------------------------------------------------

inline constexpr char16_t kTab = u'\t';
inline constexpr std::u16string_view kLineEnd = u"\r\n";

// Block begin and end lines (without their CR LF).
inline constexpr std::u16string_view kStartWord = u"START_BLOCK_Word\t";
inline constexpr std::u16string_view kEndWord = u"END_BLOCK_Word\t";
inline constexpr std::u16string_view kStartGenExt = u"START_BLOCK_GEN_EXT\t";
inline constexpr std::u16string_view kEndGenExt = u"END_BLOCK_GEN_EXT\t";
inline constexpr std::u16string_view kStartNote = u"START_BLOCK_Note\t";
inline constexpr std::u16string_view kEndNote = u"END_BLOCK_Note\t";
// Block kinds, as they follow "START_BLOCK_" / "END_BLOCK_".
inline constexpr std::u16string_view kBlockBeginPrefix = u"START_BLOCK_";
inline constexpr std::u16string_view kBlockEndPrefix = u"END_BLOCK_";
inline constexpr std::u16string_view kKindWord = u"Word";
inline constexpr std::u16string_view kKindGenExt = u"GEN_EXT";
inline constexpr std::u16string_view kKindNote = u"Note";

// ---- Tags -----------------------------------------------------------------

inline constexpr std::u16string_view kTagCtg1 = u"CTG1";  // category 1..3
inline constexpr std::u16string_view kTagCtg2 = u"CTG2";
inline constexpr std::u16string_view kTagCtg3 = u"CTG3";
inline constexpr std::u16string_view kTagCtgFamily = u"CTG";  // prefix of the three
inline constexpr std::u16string_view kTagHeadword = u"HW";    // 問題：<number>
inline constexpr std::u16string_view kTagTime = u"GEN_t";     // time limit mm:ss or empty
inline constexpr std::u16string_view kTagQuestion = u"DF_q";  // also the DF_q_c0 family
inline constexpr std::u16string_view kTagRule = u"DF_l";      // empty rule line
inline constexpr std::u16string_view kTagRule1 = u"DF_l_1";   // empty, after GEN_EXT
inline constexpr std::u16string_view kTagRightNumber = u"LST";  // right answer, 10 as 0
inline constexpr std::u16string_view kTagJump = u"JUMP";        // one answer choice
inline constexpr std::u16string_view kTagId = u"ID";            // right answer, 10 as a
inline constexpr std::u16string_view kTagAnswerHead = u"DF_h";  // same text as HW
inline constexpr std::u16string_view kTagAnswerTitle = u"DF_x"; // 正解：
inline constexpr std::u16string_view kTagAnswer = u"DF_a";      // label and right choice
inline constexpr std::u16string_view kTagCommentTitle = u"DF_y"; // 解説：
inline constexpr std::u16string_view kTagComment = u"DF_c";      // the comment
inline constexpr std::u16string_view kTagLegendMark = u"SPEC";   // only in the legend entry
inline constexpr std::u16string_view kTagLegend = u"DF_m";       // the legend text
inline constexpr std::u16string_view kTagPicture = u"BMP";       // one picture reference

// Suffix of a further line of a value that held line breaks or a picture.
inline constexpr std::u16string_view kContinuationSuffix = u"_c0";
// Suffix of a further piece of a line cut by the split pass.
inline constexpr std::u16string_view kSplitSuffix = u"_s00";

// Fixed values.
inline constexpr std::u16string_view kNoCategory = u"(分類なし)";
inline constexpr std::u16string_view kQuestionWord = u"問題";
inline constexpr std::u16string_view kRightAnswerWord = u"正解";
inline constexpr std::u16string_view kCommentWord = u"解説";
inline constexpr std::u16string_view kLegendWord = u"凡例";
inline constexpr char16_t kFullWidthColon = 0xFF1A;

// ---- Device codes ---------------------------------------------------------
// Style codes come in pairs: the on code is even, the off code the next one.

inline constexpr char16_t kItalicOn = 0xE000;
inline constexpr char16_t kItalicOff = 0xE001;
inline constexpr char16_t kBoldOn = 0xE002;
inline constexpr char16_t kBoldOff = 0xE003;
inline constexpr char16_t kKeepOn = 0xE012;  // <L>, also the split pass's keep-together pair
inline constexpr char16_t kKeepOff = 0xE013;
inline constexpr char16_t kUnderlineOn = 0xE01A;
inline constexpr char16_t kUnderlineOff = 0xE01B;
inline constexpr char16_t kStyleSOn = 0xE01C;  // <S>
inline constexpr char16_t kStyleSOff = 0xE01D;
inline constexpr char16_t kGbOn = 0xE01E;  // <GB>
inline constexpr char16_t kGbOff = 0xE01F;
inline constexpr char16_t kJumpLabelBegin = 0xE054;
inline constexpr char16_t kJumpLabelEnd = 0xE055;
inline constexpr char16_t kPictureBegin = 0xE05E;
inline constexpr char16_t kPictureEnd = 0xE05F;
inline constexpr char16_t kSoundBegin = 0xE062;
inline constexpr char16_t kSoundEnd = 0xE063;
inline constexpr char16_t kColourOn = 0xE066;  // followed by the colour text
inline constexpr char16_t kColourOff = 0xE067;

// Font-code escape: begin, one code unit of the device font, end.
inline constexpr char16_t kFontEscapeBegin = 0xE0FE;
inline constexpr char16_t kFontEscapeEnd = 0xE0FF;
inline constexpr char16_t kFontChoiceTen = 0xF820;  // choice k (1-9) is F820 + k
inline constexpr char16_t kFontSoundMark = 0xF9DD;  // inside every sound code

// Source text replaces these with U+3013 so no user text carries a device code.
inline constexpr char16_t kReservedFirst = 0xE000;
inline constexpr char16_t kReservedLast = 0xE0FF;

// ---- Ids ------------------------------------------------------------------

// Picture id: 4 lower-case hex digits (monochrome or grey), "02" + 4 digits
// (other pictures), this for the default picture.
inline constexpr std::u16string_view kDefaultPictureId = u"0014";
inline constexpr std::u16string_view kOtherPicturePrefix = u"02";
// Sound id: 8 lower-case hex digits; this for a missing or refused sound.
inline constexpr std::u16string_view kRefusedSoundId = u"ffffffff";

// ---- Jump address ---------------------------------------------------------
// 12 lower-case hex digits after U+E055 in JUMP lines of the final stage: the
// entry number (Word blocks before the entry, 8 digits) and the line number
// inside the entry (4 digits).

inline constexpr std::size_t kJumpEntryDigits = 8;
inline constexpr std::size_t kJumpLineDigits = 4;
inline constexpr std::size_t kJumpAddressDigits = kJumpEntryDigits + kJumpLineDigits;

struct JumpAddress {
  std::uint32_t entry = 0;
  std::uint32_t line = 0;
};

// "%08x%04x" of the two numbers (wider numbers keep all their digits).
std::u16string formatJumpAddress(JumpAddress address);
// Reads exactly 12 hex digits; false for anything else.
bool parseJumpAddress(std::u16string_view text, JumpAddress& address);

// ---- Limits ---------------------------------------------------------------

// The split pass cuts every line whose length without CR LF exceeds this.
inline constexpr std::size_t kSplitLimit = 500;
// Longest line of any stage, CR LF included.
inline constexpr std::size_t kMaxStageLineUnits = 51199;

// ---- Line helpers ---------------------------------------------------------

// True when `line` starts with `prefix` (tag tests compare line starts).
inline bool startsWith(std::u16string_view line, std::u16string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}
// True when `line` starts with `tag` followed by a TAB.
inline bool hasTag(std::u16string_view line, std::u16string_view tag) {
  return line.size() > tag.size() && startsWith(line, tag) && line[tag.size()] == kTab;
}
// The line without its trailing LF and CR.
std::u16string_view withoutLineEnd(std::u16string_view line);
// True for an empty line (CR LF alone, or nothing).
inline bool isEmptyLine(std::u16string_view line) { return withoutLineEnd(line).empty(); }
// The text before the first TAB (the whole line without CR LF when there is none).
std::u16string_view tagOf(std::u16string_view line);
// The text after the first TAB without the CR LF (empty when there is no TAB).
std::u16string_view valueOf(std::u16string_view line);
// tag, TAB, value, CR LF.
std::u16string fieldLine(std::u16string_view tag, std::u16string_view value);

// The font-code escape of one device-font code.
std::u16string fontEscape(char16_t code);
// The label of answer choice k (1-10): the escape of F820 + k, F820 for 10.
std::u16string choiceLabel(int k);
// A sound code: U+E062, the id, the sound mark escape, U+E063.
std::u16string soundCode(std::u16string_view id);

// Lower-case hex of a number ("%x"), at least `width` digits.
std::u16string hexText(std::uint64_t value, std::size_t width = 0);

}  // namespace dm::blocktext

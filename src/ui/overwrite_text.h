// The texts of the overwrite confirmation: the two-line message about the
// current file's name, the size and date texts, and the kind of file whose
// picture the dialog shows.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace dm::ui {

// Display width of one character in the message: 2 for hiragana, katakana
// and han characters, 1 for any other.
int messageCharWidth(char32_t c);

// "既に’<name>’ファイルが存在します." broken once after the character that
// brings the first line's width to 40; a second line that reaches 25 ends
// the name with "...". `name` is the current file's name without folder.
std::u16string overwriteMessage(std::u16string_view name);

// The message as the dialog lays it out: the characters of
// overwriteMessage(name), with its one line break moved to the nearest place
// where a reader expects one: after the closing quote, after a separator in
// the name ('/', '_', '-', a space, Japanese punctuation), or where hiragana
// (a particle or an ending) meets the next word. A place is taken only when
// it lies near the width where the message breaks; else the break stays.
std::u16string overwriteMessageLayout(std::u16string_view name);

// "%.2fKB" of the size in KiB, or "%.2fMB" of the size in MiB when it is
// above 1024 KiB.
std::string sizeText(std::uint64_t bytes);

// "更新日時:%04d年%02d月%02d日、%02d:%02d:%02d" of a local time.
std::string dateText(const std::tm& local);

enum class FileKind { Text, Picture, Sound };

// The kind from the name's first '.' on, in any case: ".txt" text; ".bmp",
// ".jpg", ".jpeg", ".gif" picture; ".mp3", ".rmp" sound; anything else text.
FileKind fileKind(std::u16string_view name);

}  // namespace dm::ui

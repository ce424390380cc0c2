// Formats and limits of the picture tables that the bitmap phase writes and
// the font image and the colour picture image read. Shared by writer and
// readers so the two never drift apart.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace dm::bitmap {

// The work files of the phase (Middata/Bmp, Trash, Destin/Bmp, Destin/BmpExt)
// are named in work/work_files.h.

// The cover picture's conversion size.
inline constexpr std::int32_t kCoverWidth = 800;
inline constexpr std::int32_t kCoverHeight = 430;

// Identifiers of the symbol table headers (the table name before its class).
inline constexpr const char* kMonoSymbolIdent = "BITMAP_MONO";
inline constexpr const char* kColourSymbolIdent = "BITMAP_CLR";

// ---- Picture numbers --------------------------------------------------------

inline constexpr std::uint32_t kDefaultPictureNumber = 0x14;
inline constexpr std::uint32_t kCoverPictureNumber = 0;
// Filler line of BmpFile.lst for an unused number.
inline constexpr std::string_view kFillerLine = "Default\t0\n";

// ---- Picture information lines ("%01X\t%03X\t%04X\t%08X\n") ---------------

inline constexpr std::string_view kDefaultInfoLine = "9\t033\t003A\t00000000\n";
inline constexpr std::string_view kUnusedInfoLine = "F\tFFF\tFFFF\tFFFFFFFF\n";
// Kinds of the information lines.
inline constexpr int kKindRaw1 = 2;      // raw rows, 1 bit per pixel
inline constexpr int kKindRaw4 = 4;      // raw rows, 4 bits per pixel
inline constexpr int kKindSymbol4 = 5;   // symbol-coded, 4 bits
inline constexpr int kKindRunLength = 6; // run-length coded
inline constexpr int kKindSymbol1 = 9;   // symbol-coded, 1 bit
// The information line of one picture; the three numbers are fixed-width
// fields of the device table, so callers keep them within 0xFFF, 0xFFFF and
// 0xFFFFFFFF.
std::string infoLine(int kind, std::uint32_t height, std::uint32_t width, std::uint32_t index);

// ---- Limits -----------------------------------------------------------------

// Pixel rows of one hex bitmap: at most this many bytes in total.
inline constexpr std::uint64_t kMaxRowBytes = 5u * 1024 * 1024;
// Rows of a picture the symbol coder takes.
inline constexpr std::uint32_t kMaxSymbolRows = 1500;
// Rows that the information line's three-digit height field holds.
inline constexpr std::uint32_t kMaxInfoHeight = 0xFFF;
// Hex digits a table may pass before further pictures become the default one.
inline constexpr std::uint64_t kTableDigitLimit = 0x10000000;
// Largest offset of the seven-digit address fields.
inline constexpr std::uint64_t kMaxSevenDigits = 0xFFFFFFF;
// Largest offset and total of the colour address table (six digits).
inline constexpr std::uint64_t kMaxSixDigits = 0xFFFFFF;

// Classification budgets (raw and class 5 share a limit; class 6 has its own).
inline constexpr std::uint64_t kRawBudgetLimit = 0x8000000;
inline constexpr std::uint64_t kClass5BudgetLimit = 0x8000000;
inline constexpr std::uint64_t kClass6BudgetLimit = 0x10000000;

// Hex digits of each symbol in the .cod tables, and first-nibble values of
// the picture codes.
inline constexpr int kCodeWidth = 6;
inline constexpr unsigned kFirstNibbleValues = 16;
// Code lengths the symbol table header describes.
inline constexpr int kHeaderCodeLengths = 5;

// ---- Output of one class's coder ------------------------------------------

// The tables one coder writes; a null stream is not written. The .h of the
// run-length table stays empty.
struct TableStreams {
  std::ostream* h = nullptr;
  std::ostream* cod = nullptr;
  std::ostream* dic = nullptr;  // the raw table's rows go here (.hex)
  std::ostream* add = nullptr;
  std::ostream* inf = nullptr;
};

}  // namespace dm::bitmap

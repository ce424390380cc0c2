// The intake phases over a work tree on disk, as the check pass runs them.
#include "intake/intake.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <sstream>

#include "intake/line_normaliser.h"
#include "intake/record_checker.h"
#include "intake/sjis_table.h"
#include "intake/source_encoding.h"
#include "intake_fixture.h"
#include "platform/failure.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace dm {
namespace {

namespace fs = std::filesystem;
using test::linesOf;
using test::readFile;
using test::wideOf;
using test::writeFile;

// MPEG-1 Layer III frame headers that agree.
const std::string kGoodMp3 = std::string("\xFF\xFB\x90\x64", 4) + std::string(50, '\0') + "\xFF\xFB\xA0\x64";

// The parts of a run that the intake phases see through their context.
struct IntakeParts {
  WorkPaths paths;
  fs::path sourceTextPath;
  MediaList mediaList;
  MediaTotals mediaTotals;
  IntakeState intake;
  std::uint32_t validRecordCount = 0;
  test::RecordingSink sink;

  IntakeContext context() { return IntakeContext{paths, sourceTextPath, mediaList, mediaTotals, intake, sink}; }
};

struct IntakeRun : testing::Test {
  test::TempDir dir;
  IntakeParts state;

  void SetUp() override {
    state.paths = WorkPaths::under(dir / "work");
    fs::create_directories(state.paths.trash);
    fs::create_directories(state.paths.destin);
  }
  void list(const std::string& name, std::string_view bytes) {
    writeFile(dir / "media" / name, bytes);
    state.mediaList[lowerCaseUtf8(name)] = dir / "media" / name;
  }
  void runCheck(const std::string& sourceName, std::string_view source) {
    state.sourceTextPath = dir / sourceName;
    writeFile(state.sourceTextPath, source);
    convertSource(state.context());
    normaliseSource(state.context());
    state.validRecordCount = checkSource(state.context());
    writeCheckReport(state.context());
  }
  std::u16string file(const fs::path& p) { return wideOf(readFile(p)); }
  std::u16string checked() { return file(workfiles::checkedSourcePath(state.paths)); }
  std::u16string report() { return file(workfiles::checkReportPath(state.paths)); }
};

TEST_F(IntakeRun, ShiftJisSourceEndToEnd) {
  list("good.mp3", kGoodMp3);
  list("bad.mp3", "not a sound");
  const std::string source =
      "settings\thow to use\t\t\x89\x70\x8C\xEA\x31\r\n"                     // menu location 英語1
      "c1\tc2\tc3\tno\tq\tans\tcomment\ttime\tcase1\tcase2\r\n"
      "A\tB\tC\t1\t\"\x96\xE2\r\n\x91\xE8\"\t1\tcm\t1:30\tx\ty\r\n"              // line 3: 問<N>題
      "A\tB\tC\t2\tq\t1\tcm\t\r\n"                                            // line 4: no case
      "A\tB\tC\t3\t<P>cat.bmp</P>\t1\t\t\tx\r\n"                              // line 5: unlisted picture
      "A\tB\tC\t4\t<V>bad.mp3</V><V>good.mp3</V>\t1\t\t\tx\r\n"               // line 6: unusable sound
      "A\tB\tC\t5\tq\xF0\x40\t1\t\t\tx\r\n"                                   // line 7: user-defined code
      "A\tB\tC\t6\tq\t5\t\t\tx\ty\r\n";                                       // line 8: answer 5 of 2
  runCheck("my.drill.txt", source);

  EXPECT_EQ(state.validRecordCount, 4u);
  EXPECT_EQ(readFile(workfiles::conversionLogPath(state.paths)), ":0xf040\n");
  EXPECT_EQ(state.sink.lines, std::vector<std::string>{"Error,Can't convert code=0xf040"});
  EXPECT_EQ(linesOf(checked()), (std::vector<std::u16string>{
                                    u"\uFEFFsettings\thow to use\t\t英語１\r\n",
                                    u"c1\tc2\tc3\tno\tq\tans\tcomment\ttime\tcase1\tcase2\r\n",
                                    u"A\tB\tC\t1\t問<N>題\t1\tcm\t1:30\tx\ty\r\n",
                                    u"A\tB\tC\t3\t<P>cat.bmp</P>\t1\t\t\tx\r\n",
                                    u"A\tB\tC\t4\t<V></V><V>good.mp3</V>\t1\t\t\tx\r\n",
                                    u"A\tB\tC\t5\tq\t1\t\t\tx\r\n",
                                }));
  EXPECT_EQ(linesOf(report()), (std::vector<std::u16string>{
                                   u"\uFEFF00000004 行目  \tタブ数が8未満です。\r\n",
                                   u"00000005 行目  \tファイルがありません: cat.bmp\r\n",
                                   u"00000008 行目  \t正解番号がありません。\r\n",
                                   u"\r\n",
                                   u" \tbad.mp3  \tフォーマットエラー\r\n",
                               }));
  EXPECT_EQ(countErrors(state.intake), 4u);
  EXPECT_EQ(state.intake.howToUsePresent, 1);
}

TEST_F(IntakeRun, Utf16SourceWithoutFindingsWritesNoReport) {
  const std::u16string text = u"\uFEFFs\r\nh\r\n分類\tB\tC\t1\t問題\t2\t\t\tx\ty\r\n";
  runCheck("wide.txt", test::bytesOf(text));
  EXPECT_EQ(readFile(workfiles::convertedSourcePath(state.paths)), test::bytesOf(text));
  EXPECT_FALSE(fs::exists(workfiles::conversionLogPath(state.paths)));
  EXPECT_EQ(checked(), text);
  EXPECT_EQ(state.validRecordCount, 1u);
  EXPECT_EQ(countErrors(state.intake), 0u);
  EXPECT_FALSE(fs::exists(workfiles::checkReportPath(state.paths)));
}

// The bytes of `text` in one of the encodings a source may come in; the
// Shift-JIS form takes the characters of the conversion table and ASCII.
std::string encoded(std::u16string_view text, SourceEncoding encoding, bool mark) {
  std::string out;
  switch (encoding) {
    case SourceEncoding::ShiftJis:
      for (char16_t c : text) {
        if (c < 0x80) {
          out.push_back(static_cast<char>(c));
          continue;
        }
        const SjisPair* p = std::find_if(kSjisTable, kSjisTable + kSjisTableSize,
                                         [c](const SjisPair& pair) { return pair.unit == c; });
        EXPECT_NE(p, kSjisTable + kSjisTableSize) << "no Shift-JIS code for " << std::hex << int(c);
        if (p == kSjisTable + kSjisTableSize) continue;
        out.push_back(static_cast<char>(p->code >> 8));
        out.push_back(static_cast<char>(p->code & 0xFF));
      }
      return out;
    case SourceEncoding::Utf16Le:
      return (mark ? std::string("\xFF\xFE") : std::string()) + test::bytesOf(text);
    case SourceEncoding::Utf16Be:
      out = mark ? std::string("\xFE\xFF") : std::string();
      for (char16_t c : text) {
        out.push_back(static_cast<char>(c >> 8));
        out.push_back(static_cast<char>(c & 0xFF));
      }
      return out;
    case SourceEncoding::Utf8:
      return (mark ? std::string("\xEF\xBB\xBF") : std::string()) + utf16ToUtf8(text);
    case SourceEncoding::Workbook:
      ADD_FAILURE() << "a workbook is no encoding of a text";
      break;
  }
  return out;
}

std::u16string joined(const std::vector<std::u16string>& lines, std::u16string_view lineEnd) {
  std::u16string text;
  for (const std::u16string& line : lines) (text += line) += lineEnd;
  return text;
}

// One source form: its encoding, with or without a mark, and the encoding
// the intake reads it as.
struct SourceForm {
  SourceEncoding encoding;
  bool mark;
  SourceEncoding read;
};

// Every work file and the report of a check run.
struct CheckOutputs {
  std::string converted, normalised, checked, report;
  std::uint32_t valid;
};

// Runs the check over `lines` in every form, with CR LF and with LF line
// ends, and expects what the first form with CR LF gives; the converted copy
// differs between the line ends only in the breaks inside quoted cells,
// which the normalisation resolves alike.
CheckOutputs expectOneOutcome(IntakeRun& run, const std::vector<std::u16string>& lines,
                              const std::vector<SourceForm>& forms) {
  auto outputs = [&run] {
    const fs::path report = workfiles::checkReportPath(run.state.paths);
    const WorkPaths& paths = run.state.paths;
    CheckOutputs o{readFile(workfiles::convertedSourcePath(paths)), readFile(workfiles::normalisedSourcePath(paths)),
                   readFile(workfiles::checkedSourcePath(paths)), fs::exists(report) ? readFile(report) : "",
                   run.state.validRecordCount};
    fs::remove(report);
    return o;
  };
  std::optional<CheckOutputs> reference;
  for (std::u16string_view lineEnd : {u"\r\n", u"\n"}) {
    std::optional<std::string> converted;
    for (const SourceForm& form : forms) {
      const std::string what = std::string(encodingName(form.encoding)) + (form.mark ? " with mark" : "") +
                               (lineEnd == u"\n" ? ", LF" : ", CR LF");
      run.runCheck("drill.txt", encoded(joined(lines, lineEnd), form.encoding, form.mark));
      EXPECT_EQ(run.state.intake.sourceEncoding, form.read) << what;
      const CheckOutputs o = outputs();
      if (!reference) reference = o;
      if (!converted) converted = o.converted;
      EXPECT_EQ(o.converted, *converted) << what;
      EXPECT_EQ(o.normalised, reference->normalised) << what;
      EXPECT_EQ(o.checked, reference->checked) << what;
      EXPECT_EQ(o.report, reference->report) << what;
      EXPECT_EQ(o.valid, reference->valid) << what;
    }
  }
  return *reference;
}

TEST_F(IntakeRun, EveryEncodingAndLineEndGivesTheSameRecordsAndReport) {
  using E = SourceEncoding;
  const std::vector<std::u16string> drill = {
      u"設定\t使い方\t\t学習1",
      u"分類1\t分類2\t分類3\t番号\t問題\t正解\t解説\t時間\t選択肢1\t選択肢2",
      u"算数\tたし算\t1けた\t1\t\"3 + 4 =\n?\"\t2\t解説\t0:30\t6\t7",  // a cell with a line break
      u"英語\t単語\t動物\t1\tねこ\t1\t解説\t",                          // too few tabs
      u"英語\t単語\t動物\t2\t\"\"\"いぬ\"\"\nと ねこ\"\t1\t\t\tdog\tcat",
  };
  const CheckOutputs reference = expectOneOutcome(
      *this, drill,
      {{E::ShiftJis, false, E::ShiftJis}, {E::Utf16Le, true, E::Utf16Le}, {E::Utf16Be, true, E::Utf16Be},
       {E::Utf8, true, E::Utf8}, {E::Utf8, false, E::Utf8}});
  EXPECT_EQ(linesOf(wideOf(reference.checked)),
            (std::vector<std::u16string>{
                u"\uFEFF設定\t使い方\t\t学習１\r\n",
                u"分類1\t分類2\t分類3\t番号\t問題\t正解\t解説\t時間\t選択肢1\t選択肢2\r\n",
                u"算数\tたし算\t1けた\t1\t3 + 4 =<N>?\t2\t解説\t0:30\t6\t7\r\n",
                u"英語\t単語\t動物\t2\t\"いぬ\"<N>と ねこ\t1\t\t\tdog\tcat\r\n",
            }));
  EXPECT_EQ(linesOf(wideOf(reference.report)), (std::vector<std::u16string>{
                                                   u"\uFEFF00000004 行目  \tタブ数が8未満です。\r\n",
                                               }));

  // Plain ASCII without a mark stays Shift-JIS, whatever wrote it.
  expectOneOutcome(*this, {u"s\thow\t\tmenu", u"heading", u"A\tB\tC\t1\t\"q\nq\"\t1\t\t\tx\ty"},
                   {{E::ShiftJis, false, E::ShiftJis}, {E::Utf8, false, E::ShiftJis}, {E::Utf16Le, true, E::Utf16Le}});

  // Characters beyond the BMP come through UTF-8 as the pairs UTF-16 holds.
  expectOneOutcome(*this, {u"s\thow\t\t\U0001F600", u"heading", u"A\tB\tC\t1\t\U00020B9F\U0001F600\t1\t\t\tx\ty"},
                   {{E::Utf16Le, true, E::Utf16Le}, {E::Utf16Be, true, E::Utf16Be}, {E::Utf8, true, E::Utf8},
                    {E::Utf8, false, E::Utf8}});
}

TEST_F(IntakeRun, ReportLinesReachTheWindowHook) {
  runCheck("empty.txt", "s\r\nh\r\n\r\n");
  std::vector<std::u16string> shown;
  writeCheckReport(state.context(), [&](std::u16string_view line) { shown.emplace_back(line); });
  EXPECT_EQ(shown, std::vector<std::u16string>{u"empty.txt ファイルの記述が正しくありません。"});
  EXPECT_EQ(report(), u"\uFEFF\r\nempty.txt ファイルの記述が正しくありません。\r\n");
}

TEST_F(IntakeRun, BinaryGarbageEndsInAReport) {
  std::string garbage;
  std::uint32_t x = 12345;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245 + 12345;
    garbage.push_back(static_cast<char>(x >> 16));
  }
  runCheck("garbage.txt", garbage);
  EXPECT_GT(countErrors(state.intake), 0u);
  EXPECT_EQ(readFile(state.sourceTextPath), garbage);
}

// Random texts built from the pieces the passes react to: every pass ends,
// and every accepted line is one the checker read.
TEST(IntakeStreams, RandomTextsPassThroughEveryStep) {
  const std::u16string pieces[] = {
      u"\t", u"\r\n", u"\n", u"\r", u"\"", u"\"\"", u"<N>", u"<P>", u"</P>", u"<V>", u"</V>", u"<B>", u"</B>",
      u"<I>", u"</I>", u"<GB>", u"</GB>", u"<TC color=", u"</TC>", u"red", u"a.bmp", u"s.mp3", u"x.wav", u" ",
      u"\u3000", u"1", u"１", u":", u"59", u"99", u"abc", u"問題", u"\uE012", u"<Sound>", u"<K>", u"<", u">",
  };
  test::FakeMedia media;
  media.addPicture("a.bmp", 0);
  media.addSound("s.mp3", -1);
  std::uint32_t x = 2024;
  auto next = [&x] {
    x = x * 1664525u + 1013904223u;
    return x >> 8;
  };
  for (int round = 0; round < 300; ++round) {
    std::u16string text = u"\uFEFF";
    const int n = static_cast<int>(next() % 400);
    for (int i = 0; i < n; ++i) text += pieces[next() % std::size(pieces)];
    std::istringstream in(test::bytesOf(text));
    std::ostringstream normalised;
    normaliseLines(in, normalised);
    IntakeState state;
    CheckContext context = media.context();
    std::istringstream checkIn(normalised.str());
    std::ostringstream checked;
    const std::uint32_t valid = checkRecords(state, context, checkIn, checked);
    EXPECT_LE(linesOf(wideOf(checked.str())).size(), valid + 3u);  // a lone LF may end the settings line
    EXPECT_LE(checkReportLines(state.errors).size(), state.errors.size() + 3u);
  }
}

TEST_F(IntakeRun, MissingFilesFailThePass) {
  state.sourceTextPath = dir / "none.txt";
  EXPECT_THROW(convertSource(state.context()), PassFailure);
  EXPECT_THROW(normaliseSource(state.context()), PassFailure);
  fs::remove_all(state.paths.trash);
  EXPECT_THROW(checkSource(state.context()), PassFailure);
}

}  // namespace
}  // namespace dm

#include "ui/window_rules.h"

#include <gtest/gtest.h>

#include "driver/run_state.h"

namespace dm::ui {
namespace {

TEST(WindowRules, EnablingRulesOverListStates) {
  struct Case {
    const char* label;
    ListState list;
    Controls updated;  // after updateControls from the start state
    Controls enabled;  // after disableControls and then enableControls
  };
  const Controls off{false, false, false, false, false};
  const Case cases[] = {
      {"empty list", {true, false}, {true, true, false, false, true}, {true, true, false, false, true}},
      {"entries, none selected", {false, false}, {true, true, true, false, true}, {true, true, true, false, true}},
      {"entries, some selected", {false, true}, {true, true, true, true, true}, {true, true, true, true, true}},
  };
  for (const Case& c : cases) {
    Controls controls;
    updateControls(controls, c.list);
    EXPECT_EQ(controls, c.updated) << c.label;
    disableControls(controls);
    EXPECT_EQ(controls, off) << c.label;
    // updateControls alone leaves the add commands and the list off.
    updateControls(controls, c.list);
    EXPECT_FALSE(controls.addFiles || controls.addFolder || controls.list) << c.label;
    enableControls(controls, c.list);
    EXPECT_EQ(controls, c.enabled) << c.label;
  }
}

TEST(WindowRules, SelectionChangeTouchesDeleteOnly) {
  Controls controls;
  updateControls(controls, {false, false});
  selectionChanged(controls, {false, true});
  EXPECT_EQ(controls, (Controls{true, true, true, true, true}));
  selectionChanged(controls, {false, false});
  EXPECT_EQ(controls, (Controls{true, true, true, false, true}));
}

TEST(WindowRules, PictureTexts) {
  const std::pair<int, const char*> cases[] = {
      {status::kChecking, "データチェック中..."},
      {status::kBuilding, "作成中..."},
      {status::kCreated, "デスクトップ上のドリルフォルダに\nファイルを作成しました。"},
      {status::kTooManyTexts, "エラー:テキストファイルが複数存在します。"},
      {status::kNoText, "エラー:テキストファイルがありません。"},
      {status::kNotWritable, "エラー:このディスクは読み取り専用です。"},
      {status::kDiskFull, "エラー:ハードディスクの空き領域が不足しています。"},
      {status::kTooLarge, "エラー:ドリルファイルの総容量は4GBです。"},
  };
  for (const auto& [id, text] : cases) {
    const StatusPicture* p = statusPicture(id);
    ASSERT_NE(p, nullptr) << id;
    EXPECT_EQ(p->text, text) << id;
  }
  EXPECT_EQ(statusPicture(status::kCheckDone), nullptr);
  EXPECT_EQ(statusPicture(status::kPassFailed), nullptr);
  EXPECT_EQ(statusPicture(status::kChecking)->kind, PictureKind::Progress);
  EXPECT_EQ(statusPicture(status::kCreated)->kind, PictureKind::Result);
  EXPECT_EQ(statusPicture(status::kTooLarge)->kind, PictureKind::Error);
}

TEST(WindowRules, TheResultSaysWhatTheDeliveryWrote) {
  const std::string created = "デスクトップ上のドリルフォルダに\nファイルを作成しました。";
  const std::string reportOnly = "\nデスクトップ上のドリルフォルダに\nエラーレポートだけを作成しました。";
  const std::string nothing = "\nファイルは何も作成していません。";
  const fs::path out = "/home/u/Desktop/ドリル";
  const fs::path drill = out / "q.drl", report = out / "error-q.txt";
  struct Case {
    const char* what;
    DeliveryOutcome outcome;
    std::string text;
    std::string detail;
  } cases[] = {
      {"drill and report", {false, false, {drill, report}, {}, out}, created,
       "作成したファイル: q.drl, error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"drill without findings", {false, false, {drill}, {}, out}, created,
       "作成したファイル: q.drl\n保存先: /home/u/Desktop/ドリル"},
      {"drill written, report kept", {false, false, {drill}, {report}, out}, created,
       "作成したファイル: q.drl\n上書きしなかったファイル: error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"stopped after the error list", {true, false, {report}, {}, out}, "作成を中止しました。" + reportOnly,
       "作成したファイル: error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"no valid question", {true, true, {report}, {}, out},
       "有効な問題がないため、\nドリルファイルは作成していません。" + reportOnly,
       "作成したファイル: error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"drill kept, report written", {false, false, {report}, {drill}, out},
       "ドリルファイルは上書きしませんでした。" + reportOnly,
       "作成したファイル: error-q.txt\n上書きしなかったファイル: q.drl\n保存先: /home/u/Desktop/ドリル"},
      {"both kept", {false, false, {}, {drill, report}, out}, "ドリルファイルは上書きしませんでした。" + nothing,
       "上書きしなかったファイル: q.drl, error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"stopped, report kept", {true, false, {}, {report}, out}, "作成を中止しました。" + nothing,
       "上書きしなかったファイル: error-q.txt\n保存先: /home/u/Desktop/ドリル"},
      {"no question and no report", {true, true, {}, {}, out},
       "有効な問題がないため、\nドリルファイルは作成していません。" + nothing, ""},
  };
  for (const Case& c : cases) {
    const StatusPicture picture = resultPicture(c.outcome, {});
    EXPECT_EQ(picture.id, status::kCreated) << c.what;
    EXPECT_EQ(picture.kind, PictureKind::Result) << c.what;
    EXPECT_EQ(picture.text, c.text) << c.what;
    EXPECT_EQ(resultDetail(c.outcome), c.detail) << c.what;
  }
  EXPECT_EQ(resultPicture(DeliveryOutcome{false, false, {drill}, {}, out}, {"w1", "w2"}).text,
            created + "\nw1\nw2")
      << "the build's warnings stand under the text";
}

TEST(StatusDisplay, KeysDismissResultAndErrorPicturesOnly) {
  const std::pair<int, bool> cases[] = {
      {status::kChecking, false},     {status::kBuilding, false},  {status::kCreated, true},
      {status::kTooManyTexts, true}, {status::kNoText, true},      {status::kNotWritable, true},
      {status::kDiskFull, true},     {status::kTooLarge, true},
  };
  for (const auto& [id, dismissable] : cases) {
    StatusDisplay d;
    d.show(id, statusPicture(id)->kind != PictureKind::Progress);
    EXPECT_TRUE(d.showing()) << id;
    EXPECT_EQ(d.keyPressed(), dismissable) << id;
    EXPECT_EQ(d.showing(), !dismissable) << id;
    EXPECT_FALSE(d.keyPressed()) << id << ": a second key does nothing";
  }
}

TEST(StatusDisplay, HidingProgressLeavesResultPictures) {
  StatusDisplay d;
  d.show(status::kBuilding, false);
  d.hideProgress();
  EXPECT_EQ(d.current(), 0);
  d.show(status::kCreated, true);
  d.hideProgress();
  EXPECT_EQ(d.current(), status::kCreated);
  d.clear();
  EXPECT_FALSE(d.showing());
  EXPECT_FALSE(d.dismissable());
}

TEST(WindowRules, WidestEntry) {
  EXPECT_EQ(widestEntry({}), 0);
  EXPECT_EQ(widestEntry({"/a/bc"}), 5);
  EXPECT_EQ(widestEntry({"/a/bc", "/ドリル/x", "/abcdefg"}), 9);  // 3 kana count 6
}

}  // namespace
}  // namespace dm::ui

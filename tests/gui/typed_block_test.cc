// SPDX-License-Identifier: MIT
// What a user types for a block means the same wherever it is typed: the
// window's name box, its range prompt, and the command line's --range. One
// table of texts goes through all three over one workbook; each must end
// on the same sheet and block, or refuse it.
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <string>

#include "engine/conversion/conversion.h"
#include "engine/model/range_address.h"
#include "engine/reading/workbook_reader.h"
#include "engine/writing/string_sink.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/name_box.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {
namespace {

const QString kWorkbook =
    QStringLiteral(KESTRILO_FIXTURES_DIR "/typed_blocks.xlsx");

// Where a text led: the sheet and the block converted, or nowhere.
struct Outcome {
  std::optional<std::string> sheet;
  std::string block;
  bool operator==(const Outcome&) const = default;
};

QString Describe(const Outcome& outcome) {
  return outcome.sheet
             ? QString::fromStdString(*outcome.sheet + " " + outcome.block)
             : QStringLiteral("refused");
}

}  // namespace

class TypedBlockTest : public QObject {
  Q_OBJECT

  std::unique_ptr<WorkbookWindow> window_;

  // The block the window's selection converts to, on its active sheet.
  Outcome Converted(const std::string& address) {
    StringSink sink;
    const ConversionReport report = ConvertWorkbook(
        *window_->workbook(),
        {SheetChoice::AtIndex(window_->active_sheet()), address, {}}, sink);
    return {report.sheet, FormatArea(*report.block)};
  }

  void StartOnOther() {
    window_->SetActiveSheet(window_->workbook()->FindSheet("Other"));
    window_->SelectAddress(ParseAddress("A1"));
  }

  Outcome ThroughNameBox(const QString& text) {
    StartOnOther();
    NameBox* box = window_->name_box();
    box->lineEdit()->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
    const std::string selected = FormatAddress(window_->grid()->areas());
    if (selected == "$A$1" &&
        window_->active_sheet() == window_->workbook()->FindSheet("Other")) {
      return {};  // nothing moved: refused
    }
    return Converted(selected);
  }

  Outcome ThroughPrompt(const QString& text) {
    StartOnOther();
    std::optional<std::string> answer;
    window_->BeginPrompt(PromptContext{},
                         [&](const auto& address) { answer = address; });
    QLineEdit* field = nullptr;
    for (QLineEdit* edit : window_->findChildren<QLineEdit*>()) {
      if (edit->accessibleName() == Tr(texts::kPromptFieldName)) field = edit;
    }
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    window_->EndPrompt();
    if (!answer) return {};
    return Converted(*answer);
  }

  static Outcome ThroughCommandLine(const QString& text) {
    QTemporaryDir out;
    QProcess cli;
    cli.start(QStringLiteral(KESTRILO_CLI),
              {"--quiet", "--range", text, "--report", "-", "-o", out.path(),
               kWorkbook});
    cli.waitForFinished(60000);
    const QJsonObject report =
        QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    if (report["status"].toString() != "converted") return {};
    return {report["sheet"].toString().toStdString(),
            report["block"].toString().toStdString()};
  }

 private slots:
  void init() {
    window_ = std::make_unique<WorkbookWindow>();
    window_->SetWorkbook(ReadWorkbook(kWorkbook.toStdString()));
    window_->show();
  }
  void cleanup() { window_.reset(); }

  void EveryPlaceResolvesATextAlike_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const std::pair<const char*, const char*> rows[] = {
        {"B2:C3", "Other $B$2:$C$3"},
        {"$b$2:$C$3", "Other $B$2:$C$3"},
        {"c4", "Other $C$4"},
        {"A:B", "Other $B$1:$B$5"},  // whole columns: their filled part
        {"$2:$3", "Other $B$2:$D$3"},
        {"A1:B2,D4", "Other $A$1:$B$2"},  // several areas: the first
        {"Data!A1:B2", "Data $A$1:$B$2"},
        {"'It''s'!A1:B2", "It's $A$1:$B$2"},
        {"Fruits", "Data $A$1:$B$4"},
        {"fruits", "Data $A$1:$B$4"},
        {"Prices", "Other $B$1:$B$2"},  // the sheet's own name wins
        {"Data!Prices", "Data $B$1:$B$4"},
        {"Other!Prices", "Other $B$1:$B$2"},
        {"Other ! Prices", "Other $B$1:$B$2"},
        {"Other!Fruits", "Data $A$1:$B$4"},
        {"'It''s'!Local", "It's $A$2:$B$3"},
        {"Codes", "Other $C$3:$D$5"},
        {"Local", "refused"},  // a name of another sheet
        {"Nope!A1", "refused"},
        {"Nope!Prices", "refused"},
        {"Nope", "refused"},
        {"Total", "refused"},  // a formula: no block
        {"B2:", "refused"},
    };
    for (const auto& [text, expected] : rows) {
      QTest::newRow(text) << QString(text) << QString(expected);
    }
  }
  void EveryPlaceResolvesATextAlike() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(Describe(ThroughCommandLine(text)), expected);
    QCOMPARE(Describe(ThroughNameBox(text)), expected);
    QCOMPARE(Describe(ThroughPrompt(text)), expected);
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::TypedBlockTest)
#include "typed_block_test.moc"

// SPDX-License-Identifier: MIT
// The table of the window's export options against the command line's
// table: whatever an option of kestrilo-cli asks of the conversion, the
// window offers too, unless it is listed here as the command line's alone.

#include "gui/run/export_option_table.h"

#include <QSet>
#include <QtTest>
#include <map>
#include <string>
#include <vector>

#include "cli/option_table.h"
#include "cli/usage_error.h"
#include "gui/common/ui_texts.h"

using namespace kestrilo;
using namespace kestrilo::gui;

namespace {

// Options of the conversion that the window leaves out, and why.
const std::map<std::string, std::string> kCliOnly = {
    {"--no-title-tag",
     "the window always writes the title's tag, the one outermost element "
     "a document needs"},
};

// A value an option that takes free text is tried with.
constexpr char kProbe[] = "Probe Value";

// The values an option is tried with: its words, a text, or none.
std::vector<std::string> ProbeValues(const cli::Option& option) {
  if (!option.takes_value()) return {""};
  if (option.words == nullptr) return {kProbe};
  std::vector<std::string> words;
  for (const QString& word :
       QString::fromLatin1(option.words).split(' ', Qt::SkipEmptyParts)) {
    words.push_back(word.toStdString());
  }
  return words;
}

// The values of `row` to try for an option given `value`.
QStringList Candidates(const ExportOptionRow& row, const std::string& value) {
  switch (row.kind) {
    case OptionKind::kCheck:
      return {CheckValue(false), CheckValue(true)};
    case OptionKind::kText:
      return {QString::fromUtf8(row.default_value),
              QString::fromStdString(value)};
    case OptionKind::kChoice:
      break;
  }
  QStringList codes;
  for (const OptionChoice& choice : row.choices) codes << choice.code;
  return codes;
}

// Whether some value of each row of the window gives exactly `wanted`:
// each row takes the value that leaves `wanted` as it is, and together
// they must make it from the defaults.
bool WindowGives(const ExportOptions& wanted, const std::string& value) {
  ExportOptions made;
  for (const ExportOptionRow& row : ExportOptionRows()) {
    bool found = false;
    for (const QString& candidate : Candidates(row, value)) {
      ExportOptions kept = wanted;
      ApplyOption(row, candidate, kept);
      if (kept == wanted) {
        ApplyOption(row, candidate, made);
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return made == wanted;
}

}  // namespace

class ExportOptionTableTest : public QObject {
  Q_OBJECT

 private slots:
  void EveryCliOptionOfTheConversionHasAWindowRow() {
    int conversion_options = 0;
    QStringList missing;
    for (const cli::Option& option : cli::Options()) {
      const bool cli_only = kCliOnly.count(option.name) > 0;
      bool changes = false;
      bool given = true;
      for (const std::string& value : ProbeValues(option)) {
        cli::CommandLine line;
        try {
          option.apply(value, line);
        } catch (const cli::UsageError&) {
          continue;
        }
        if (line.options == ExportOptions()) continue;
        changes = true;
        given = given && WindowGives(line.options, value);
      }
      if (!changes) {
        QVERIFY2(!cli_only, option.name);  // listed, yet no such option
        continue;
      }
      ++conversion_options;
      // A listed option must truly be beyond the window: the list stays
      // honest as rows are added.
      if (given == cli_only) missing << option.name;
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("without a window row, or listed as "
                                       "the command line's alone though "
                                       "the window has it: ") +
                        missing.join(QStringLiteral(", "))));
    // --headers, --order, --title, --no-escape, --raw-names, --records,
    // --keep-empty, --schema, --as-displayed and --no-title-tag at least.
    QVERIFY(conversion_options >= 10);
  }

  // Each row is whole: stored under a name of its own with a default it
  // can hold, a caption, and the ExportOptions field its kind needs.
  void EveryRowIsWhole() {
    QSet<QString> keys;
    for (const ExportOptionRow& row : ExportOptionRows()) {
      QVERIFY(row.key != nullptr && row.caption != nullptr);
      QVERIFY2(!keys.contains(row.key), row.key);
      keys.insert(row.key);
      const QString default_value = QString::fromUtf8(row.default_value);
      QCOMPARE(ValueFromStored(row, default_value), default_value);
      QCOMPARE(row.flag != nullptr, row.kind == OptionKind::kCheck);
      QCOMPARE(row.text != nullptr, row.kind == OptionKind::kText);
      QCOMPARE(!row.choices.empty(), row.kind == OptionKind::kChoice);
      QCOMPARE(&OptionRowNamed(row.key), &row);
    }
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, OptionRowNamed("Nothing"));
  }

  // Stored values as earlier versions wrote them, and values no version
  // wrote.
  void StoredValuesAreReadAsEarlierVersionsWroteThem() {
    const ExportOptionRow& mode = OptionRowNamed(texts::kSettingHeaderMode);
    QCOMPARE(ValueFromStored(mode, "3"), QStringLiteral("3"));
    QCOMPARE(ValueFromStored(mode, " 2.0"), QStringLiteral("2"));
    QCOMPARE(ValueFromStored(mode, "7"), QStringLiteral("1"));
    QCOMPARE(ValueFromStored(mode, "1e300"), QStringLiteral("1"));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                             ValueFromStored(mode, "three"));
    const ExportOptionRow& escape = OptionRowNamed(texts::kSettingEscapeText);
    QCOMPARE(ValueFromStored(escape, "0"), QStringLiteral("0"));
    QCOMPARE(ValueFromStored(escape, "yes"), QStringLiteral("1"));
    const ExportOptionRow& title = OptionRowNamed(texts::kSettingTitle);
    QCOMPARE(ValueFromStored(title, ""), QString());
  }
};

QTEST_MAIN(ExportOptionTableTest)
#include "export_option_table_test.moc"

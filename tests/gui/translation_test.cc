// SPDX-License-Identifier: MIT
// The window's texts and their translation: a check of the sources that no
// text a user sees comes from anywhere but the table of ui_texts.h through
// Tr(), the windows and messages shown with every table text marked as
// translated, the translators' template, and an installed translation.

#include "gui/common/translation.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDirIterator>
#include <QDockWidget>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

#include "gui/common/data_folder.h"
#include "gui/common/ui_texts.h"
#include "gui/shell/main_window.h"
#include "gui/shell/start_up.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui_fakes.h"
#include "gui_test_support.h"

using namespace kestrilo;
using namespace kestrilo::gui;

namespace {

const QString kGuiSources = QStringLiteral(KESTRILO_GUI_SOURCE_DIR);

QString Contents(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    qFatal("cannot read %s", qPrintable(path));
  }
  return QString::fromUtf8(file.readAll());
}

int LineAt(const QString& text, qsizetype offset) {
  return static_cast<int>(text.left(offset).count(QLatin1Char('\n'))) + 1;
}

// The names of ui_texts.h that are marked for translation.
QStringList MarkedNames() {
  const QRegularExpression marked(
      QStringLiteral(R"(char (k\w+)\[\] =\s*QT_TRANSLATE_NOOP\()"));
  QStringList names;
  for (const auto& match : marked.globalMatch(
           Contents(kGuiSources + QStringLiteral("/common/ui_texts.h")))) {
    names << match.captured(1);
  }
  return names;
}

// The files that may hold a marked text other than inside Tr().
const QStringList kHeldAsData = {
    // Rows of the table of export options, shown by Tr(row.caption).
    QStringLiteral("run/export_option_table.cc"),
};

// What shows a text to the user, and a literal with a letter given to it.
const QRegularExpression kLiteralShown(QStringLiteral(
    R"(\b(setText|setToolTip|setWindowTitle|setAccessibleName|)"
    R"(setAccessibleDescription|setPlaceholderText|setStatusTip|setWhatsThis|)"
    R"(setTitle|setLabelText|setTabText|setItemText|addItem|insertItem|)"
    R"(showMessage|drawText|SetText|Message|Question|ErrorReport|InputText|)"
    R"(BrowseForFolder|OpenFileNames|QLabel|QPushButton|QCheckBox|)"
    R"(QRadioButton|QGroupBox|QDockWidget|QAction|QMessageBox)\s*\(\s*)"
    R"((QStringLiteral\(|QString::fromLatin1\(|QString::fromUtf8\(|)"
    R"(QLatin1String\(|QString\()?"[^"]*[A-Za-z])"));
const QRegularExpression kLiteralDefault(
    QStringLiteral(R"(const QString&\s*\w+\s*=\s*"[^"]*[A-Za-z])"));
const QRegularExpression kOtherTranslation(QStringLiteral(
    R"((?<![\w:.>])tr\s*\(|QObject::tr\s*\(|QCoreApplication::translate\s*\(|)"
    R"(QT_TR_NOOP|QT_TRANSLATE_NOOP)"));

// "⟦text⟧" for every text of the table: what is left unmarked on the screen
// reached it some other way.
const QString kOpen = QStringLiteral("⟦");
const QString kClose = QStringLiteral("⟧");

class MarkingTranslator : public QTranslator {
 public:
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* source,
                    const char* /*disambiguation*/, int /*n*/) const override {
    if (qstrcmp(context, kTranslationContext) != 0) return {};
    return kOpen + QString::fromUtf8(source) + kClose;
  }
};

// `text` outside its marked parts and without `data`, the texts that are
// the user's own (file, sheet and defined names).
QString Unmarked(const QString& text, const QStringList& data) {
  QString rest;
  int depth = 0;
  for (const QChar c : text) {
    if (c == kOpen.front()) {
      ++depth;
    } else if (c == kClose.front()) {
      --depth;
    } else if (depth == 0) {
      rest += c;
    }
  }
  for (const QString& name : data) rest.remove(name);
  return rest;
}

bool HasLetter(const QString& text) {
  return std::any_of(text.begin(), text.end(),
                     [](QChar c) { return c.isLetter(); });
}

// Every text that `window` and the controls visible in it show.
QStringList ShownTexts(QWidget& window) {
  QList<QWidget*> widgets = window.findChildren<QWidget*>();
  widgets.prepend(&window);
  QStringList texts;
  for (QWidget* widget : widgets) {
    if (widget != &window && !widget->isVisibleTo(&window)) continue;
    texts << widget->toolTip() << widget->accessibleName()
          << widget->accessibleDescription() << widget->statusTip()
          << widget->whatsThis();
    if (widget->isWindow() || qobject_cast<QDockWidget*>(widget)) {
      texts << widget->windowTitle();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      texts << button->text();
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      texts << label->text();
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      texts << group->title();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      texts << edit->placeholderText();
    } else if (auto* bar = qobject_cast<QProgressBar*>(widget)) {
      texts << bar->text();
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
      for (int i = 0; i < box->count(); ++i) texts << box->itemText(i);
    } else if (auto* tree = qobject_cast<QTreeView*>(widget);
               tree != nullptr && !tree->isHeaderHidden()) {
      for (int i = 0; i < tree->model()->columnCount(); ++i) {
        texts << tree->model()->headerData(i, Qt::Horizontal).toString();
      }
    }
  }
  return texts;
}

}  // namespace

class TranslationTest : public QObject {
  Q_OBJECT

 private:
  QStringList violations_;

  void Fail(const QString& file, const QString& text, qsizetype offset,
            const QString& what) {
    violations_ << QStringLiteral("%1:%2: %3")
                       .arg(file)
                       .arg(LineAt(text, offset))
                       .arg(what);
  }

  void CheckSource(const QString& file, const QStringList& marked) {
    const QString text = Contents(kGuiSources + QLatin1Char('/') + file);
    if (!file.startsWith(QStringLiteral("common/translation."))) {
      for (const auto& match : kOtherTranslation.globalMatch(text)) {
        Fail(file, text, match.capturedStart(),
             QStringLiteral("translated outside Tr() and the table"));
      }
    }
    for (const QRegularExpression& literal : {kLiteralShown, kLiteralDefault}) {
      for (const auto& match : literal.globalMatch(text)) {
        Fail(file, text, match.capturedStart(),
             QStringLiteral("a text shown that is not in the table: ") +
                 match.captured(0));
      }
    }
    if (kHeldAsData.contains(file)) return;
    const QRegularExpression use(QStringLiteral(R"((Tr\(\s*)?texts::(k\w+))"));
    for (const auto& match : use.globalMatch(text)) {
      if (match.captured(1).isEmpty() && marked.contains(match.captured(2))) {
        Fail(file, text, match.capturedStart(),
             match.captured(2) + QStringLiteral(" shown without Tr()"));
      }
    }
  }

  // Fails on every text in `texts` that is not the table's through Tr().
  static void VerifyMarked(const QStringList& texts, const QStringList& data,
                           const char* where) {
    QStringList unmarked;
    // Seen at all: a window that shows nothing would pass the rest.
    QVERIFY2(texts.join(QString()).count(kOpen) >= 5, where);
    for (const QString& text : texts) {
      if (HasLetter(Unmarked(text, data))) unmarked << text;
    }
    QVERIFY2(unmarked.isEmpty(),
             qPrintable(QString::fromLatin1(where) + QStringLiteral(": ") +
                        unmarked.join(QStringLiteral(" | "))));
  }

 private slots:
  void initTestCase() { testing::UseTestSettings(); }

  void noShownTextOutsideTheTable() {
    const QStringList marked = MarkedNames();
    QVERIFY(marked.size() > 80);
    QDirIterator files(kGuiSources,
                       {QStringLiteral("*.cc"), QStringLiteral("*.h")},
                       QDir::Files, QDirIterator::Subdirectories);
    int checked = 0;
    while (files.hasNext()) {
      const QString file = QDir(kGuiSources).relativeFilePath(files.next());
      if (file == QStringLiteral("common/ui_texts.h")) continue;
      CheckSource(file, marked);
      ++checked;
    }
    QVERIFY(checked > 40);
    QVERIFY2(violations_.isEmpty(), qPrintable(violations_.join('\n')));
  }

  void windowsAndMessagesShowOnlyTheTablesTexts() {
    MarkingTranslator marking;
    QCoreApplication::installTranslator(&marking);
    const auto uninstall = qScopeGuard(
        [&marking] { QCoreApplication::removeTranslator(&marking); });
    QTemporaryDir data_folder;
    SetDataFolderForTesting(data_folder.path());
    testing::FakeOpener opener;
    testing::ScriptedDialogs dialogs;
    MainWindow main_window(opener, dialogs);
    QVERIFY(StartUp(main_window, opener, dialogs));
    main_window.show();
    VerifyMarked(ShownTexts(main_window), {}, "main window");

    // The messages and prompts of adding files, a folder and starting a run
    // with an empty list.
    main_window.list_commands().AddFiles();
    main_window.list_commands().AddFolder();
    for (QPushButton* button : main_window.findChildren<QPushButton*>()) {
      if (button->text() == Tr(texts::kStartExportButton)) button->click();
    }
    QStringList told = dialogs.file_filters;
    for (const testing::Shown& box : dialogs.shown) told << box.text;
    QCOMPARE(dialogs.Kinds(),
             QStringList({"files", "input", "folder", "message"}));
    VerifyMarked(told, {}, "messages");

    WorkbookWindow workbook_window;
    auto workbook = testing::SampleWorkbook("/data/parts list.xlsx");
    testing::AddSampleNames(*workbook);
    workbook_window.SetWorkbook(std::move(workbook));
    workbook_window.show();
    PromptContext context;
    context.count = 2;
    context.file_name = QStringLiteral("parts list.xlsx");
    QVERIFY(workbook_window.BeginPrompt(context, [](const auto&) {}));
    const QStringList data = {"parts list.xlsx", "Data",   "Secret", "Totals",
                              "Parts",           "Answer", "Stock",  "Rates"};
    VerifyMarked(ShownTexts(workbook_window), data, "workbook window");
    workbook_window.EndPrompt();
  }

  void templateHoldsEveryMarkedText() {
    const QString path = QStringLiteral(KESTRILO_TRANSLATION_TEMPLATE);
    if (!QFile::exists(path)) {
      QSKIP("no translation template: lupdate (qt6-l10n-tools) is missing");
    }
    const QString ts = Contents(path);
    QCOMPARE(ts.count(QStringLiteral("<context>")), 1);
    QVERIFY(ts.contains(QStringLiteral("<name>Kestrilo</name>")));
    QCOMPARE(ts.count(QStringLiteral("<message>")), MarkedNames().size());
    QVERIFY(ts.contains(QStringLiteral("<source>%1 × %2</source>")));
  }

  void anInstalledTranslationIsUsed() {
    const QString lrelease = QStringLiteral(KESTRILO_LRELEASE);
    if (lrelease.isEmpty()) QSKIP("lrelease (qt6-l10n-tools) is missing");
    QTemporaryDir data_folder;
    QDir(data_folder.path()).mkdir(QStringLiteral("translations"));
    const QString ts = data_folder.filePath(QStringLiteral("kestrilo_de.ts"));
    QFile file(ts);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
        "<TS version=\"2.1\" language=\"de\"><context><name>Kestrilo</name>"
        "<message><source>Ready</source><translation>Bereit</translation>"
        "</message></context></TS>\n");
    file.close();
    QCOMPARE(QProcess::execute(lrelease, {QStringLiteral("-silent"), ts,
                                          QStringLiteral("-qm"),
                                          data_folder.filePath(QStringLiteral(
                                              "translations/kestrilo_de.qm"))}),
             0);
    SetDataFolderForTesting(data_folder.path());
    const auto restore = qScopeGuard([locale = QLocale()] {
      QLocale::setDefault(locale);
      for (QTranslator* translator :
           QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
      }
    });
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    QVERIFY(!InstallTranslation());
    QCOMPARE(Tr(texts::kReady), QStringLiteral("Ready"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(InstallTranslation());
    QCOMPARE(Tr(texts::kReady), QStringLiteral("Bereit"));
    // What the translation leaves out stays as written.
    QCOMPARE(Tr(texts::kDone), QStringLiteral("Done."));
  }
};

QTEST_MAIN(TranslationTest)
#include "translation_test.moc"

// SPDX-License-Identifier: MIT
// The program's own workbook sessions as the export run meets them: each
// workbook opens in a window of its own, an unreadable one is told naming
// the file, the block converts as the command line converts it, and the
// workbook file is never written.

#include "gui/spreadsheet/window_workbook_opener.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrilo::gui {
namespace {

QString Fixture(const char* name) {
  return QStringLiteral(KESTRILO_FIXTURES_DIR "/cli/") + name;
}

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Opens a session and waits for its answer: the error, or nothing.
std::optional<std::string> Open(WorkbookSession& session) {
  bool answered = false;
  std::optional<std::string> error;
  session.Open([&](const std::optional<std::string>& problem) {
    error = problem;
    answered = true;
  });
  if (!QTest::qWaitFor([&] { return answered; }, 60000)) return "no answer";
  return error;
}

}  // namespace

class WindowWorkbookOpenerTest : public QObject {
  Q_OBJECT

 private slots:
  void WorkbooksOpenInWindowsOfTheirOwn() {
    WindowWorkbookOpener opener;
    QVERIFY(opener.CanOpenWindows());
    QVERIFY(!opener.AnyWindowOpen());
    auto first = opener.Create(Fixture("fruit.csv").toStdString());
    auto second = opener.Create(Fixture("fruit.xlsx").toStdString());
    QCOMPARE(Open(*first), std::optional<std::string>());
    QCOMPARE(Open(*second), std::optional<std::string>());
    QVERIFY(opener.AnyWindowOpen());
    first->Quit();
    second.reset();
    first.reset();
    QVERIFY(!opener.AnyWindowOpen());
  }

  void BlocksConvertAsTheCommandLineConvertsThem_data() {
    QTest::addColumn<QString>("workbook");
    QTest::addColumn<QString>("block");
    QTest::newRow("csv") << Fixture("fruit.csv") << "$A$1:$C$3";
    // Its active sheet, Prices, holds the block one cell in.
    QTest::newRow("xlsx") << Fixture("fruit.xlsx") << "$B$2:$D$4";
  }
  void BlocksConvertAsTheCommandLineConvertsThem() {
    QFETCH(QString, workbook);
    QFETCH(QString, block);
    const QByteArray before = QCryptographicHash::hash(
        Contents(workbook), QCryptographicHash::Sha256);
    WindowWorkbookOpener opener;
    auto session = opener.Create(workbook.toStdString());
    QCOMPARE(Open(*session), std::optional<std::string>());
    const std::string xml =
        session->ConvertToText(ExportOptions{}, block.toStdString());
    QCOMPARE(QByteArray::fromStdString(xml),
             Contents(Fixture("expected/fruit.xml")));
    session->Quit();
    QCOMPARE(QCryptographicHash::hash(Contents(workbook),
                                      QCryptographicHash::Sha256),
             before);
  }

  // Linux names are bytes: one that is not UTF-8 still opens and converts.
  void NamesThatAreNotUtf8Open() {
    QTemporaryDir folder;
    const std::string path = folder.path().toStdString() +
                             "/B\xfc"
                             "cher.csv";
    std::filesystem::copy_file(Fixture("fruit.csv").toStdString(), path);
    WindowWorkbookOpener opener;
    auto session = opener.Create(path);
    QCOMPARE(Open(*session), std::optional<std::string>());
    QCOMPARE(QByteArray::fromStdString(
                 session->ConvertToText(ExportOptions{}, "$A$1:$C$3")),
             Contents(Fixture("expected/fruit.xml")));
  }

  void UnreadableWorkbooksAreToldNamingTheFile() {
    QTemporaryDir folder;
    const QString garbage = folder.filePath("garbage.xlsx");
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("PK\x03\x04 this is no zip");
    file.close();
    WindowWorkbookOpener opener;
    for (const QString& path : {garbage, folder.filePath("missing.xlsx")}) {
      auto session = opener.Create(path.toStdString());
      const std::optional<std::string> error = Open(*session);
      QVERIFY(error.has_value());
      QVERIFY2(QString::fromStdString(*error).contains(path), error->c_str());
    }
    QVERIFY(!opener.AnyWindowOpen());
  }
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::WindowWorkbookOpenerTest)
#include "window_workbook_opener_test.moc"

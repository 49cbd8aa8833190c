// SPDX-License-Identifier: MIT
// The list's own editing: Delete, double-click, the lock, reordering by
// dragging with its auto-scroll and pointer, and what it accepts as a drop.

#include "gui/filelist/file_list_view.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QUrl>

#include "filelist_test_support.h"
#include "gui/common/data_folder.h"
#include "gui/filelist/file_list_model.h"

namespace kestrilo::gui {
namespace {

QStringList Entries(const FileListView& list) { return list.list().texts(); }

void Fill(FileListView& list, const QStringList& texts) {
  for (const QString& text : texts) list.list().Append(text);
}

// The centre of the entry at a 1-based position.
QPoint CentreOf(const FileListView& list, int position) {
  return list.visualRect(list.list().index(position - 1)).center();
}

void SendMouse(FileListView& list, QEvent::Type type, const QPoint& point,
               Qt::MouseButtons buttons) {
  QMouseEvent event(type, point, list.viewport()->mapToGlobal(point),
                    Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &event);
}

void Press(FileListView& list, const QPoint& point) {
  SendMouse(list, QEvent::MouseButtonPress, point, Qt::LeftButton);
}
void MoveTo(FileListView& list, const QPoint& point) {
  SendMouse(list, QEvent::MouseMove, point, Qt::LeftButton);
}
void Release(FileListView& list, const QPoint& point) {
  SendMouse(list, QEvent::MouseButtonRelease, point, Qt::NoButton);
}
void DoubleClick(FileListView& list, const QPoint& point) {
  Press(list, point);
  Release(list, point);
  SendMouse(list, QEvent::MouseButtonDblClick, point, Qt::LeftButton);
  Release(list, point);
}

// A point below the last entry, where no entry is.
QPoint EmptySpace(const FileListView& list) {
  return QPoint(10, list.viewport()->height() - 2);
}

}  // namespace

class FileListViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    model_ = std::make_unique<FileListModel>();
    list_ = std::make_unique<FileListView>(*model_);
    list_->resize(500, 300);
    list_->show();
    SetDataFolderForTesting(program_folder_.path());
  }
  void cleanup() {
    list_.reset();
    model_.reset();
  }

  void columnFillsTheListAndLongPathsKeepTheirName() {
    QCOMPARE(model_->headerData(0, Qt::Horizontal, Qt::DisplayRole),
             QVariant("Excel File(s)"));
    QCOMPARE(list_->header()->count(), 1);
    const QString path =
        "/home/someone/Documents/Projects/Quarterly Reports/2021/Archive/"
        "Samples/Fruit Prices.xlsx";
    model_->Append(path);
    QCOMPARE(list_->header()->sectionSize(0), list_->viewport()->width());
    QCOMPARE(list_->textElideMode(), Qt::ElideMiddle);
    QCOMPARE(model_->data(model_->index(0), Qt::ToolTipRole), QVariant(path));
    QVERIFY(list_->toolTip().startsWith("Drag and drop files here."));
  }

  void deleteRemovesTheSelectedEntryOnly() {
    Fill(*list_, {"a", "b", "c"});
    QTest::keyClick(list_.get(), Qt::Key_Delete);  // nothing selected
    QCOMPARE(model_->Count(), 3);
    list_->Select(1);
    QTest::keyClick(list_.get(), Qt::Key_Backspace);
    QTest::keyClick(list_.get(), Qt::Key_X);
    QCOMPARE(Entries(*list_), QStringList({"a", "b", "c"}));
    QTest::keyClick(list_.get(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(Entries(*list_), QStringList({"a", "c"}));
  }

  void deleteOnAnEmptyListDoesNothing() {
    QTest::keyClick(list_.get(), Qt::Key_Delete);
    DoubleClick(*list_, QPoint(20, 20));
    QCOMPARE(model_->Count(), 0);
  }

  void doubleClickRemovesTheEntryAndForgetsTheDraggedOne() {
    Fill(*list_, {"a", "b", "c", "d"});
    DoubleClick(*list_, CentreOf(*list_, 2));
    QCOMPARE(Entries(*list_), QStringList({"a", "c", "d"}));
    QCOMPARE(list_->drag_row() + 1, 0);
    // A press on empty space and a move over entries moves nothing now.
    Press(*list_, EmptySpace(*list_));
    MoveTo(*list_, CentreOf(*list_, 1));
    MoveTo(*list_, CentreOf(*list_, 3));
    Release(*list_, CentreOf(*list_, 3));
    QCOMPARE(Entries(*list_), QStringList({"a", "c", "d"}));
  }

  void lockedListRefusesRemovingAndReordering() {
    Fill(*list_, {"a", "b", "c"});
    model_->Lock();
    list_->Select(0);
    QTest::keyClick(list_.get(), Qt::Key_Delete);
    DoubleClick(*list_, CentreOf(*list_, 1));
    QCOMPARE(model_->Count(), 3);
    Press(*list_, CentreOf(*list_, 1));
    MoveTo(*list_, CentreOf(*list_, 2));
    Release(*list_, CentreOf(*list_, 2));
    QCOMPARE(Entries(*list_), QStringList({"a", "b", "c"}));
    QVERIFY(!model_->Clear());
    model_->Unlock();
    list_->Select(0);
    QTest::keyClick(list_.get(), Qt::Key_Delete);
    QCOMPARE(Entries(*list_), QStringList({"b", "c"}));
  }

  void draggingSwapsStepByStep() {
    Fill(*list_, {"1", "2", "3", "4"});
    Press(*list_, CentreOf(*list_, 1));
    QVERIFY(list_->drag_active());
    QCOMPARE(list_->drag_row() + 1, 1);
    MoveTo(*list_, CentreOf(*list_, 1) + QPoint(5, 1));  // within itself
    QCOMPARE(Entries(*list_), QStringList({"1", "2", "3", "4"}));
    MoveTo(*list_, CentreOf(*list_, 2));
    QCOMPARE(Entries(*list_), QStringList({"2", "1", "3", "4"}));
    MoveTo(*list_, CentreOf(*list_, 3));
    QCOMPARE(Entries(*list_), QStringList({"2", "3", "1", "4"}));
    QCOMPARE(list_->drag_row() + 1, 3);
    QCOMPARE(list_->SelectedRow() + 1, 3);
    MoveTo(*list_, CentreOf(*list_, 2));  // and back up
    QCOMPARE(Entries(*list_), QStringList({"2", "1", "3", "4"}));
    Release(*list_, CentreOf(*list_, 2));
    QVERIFY(!list_->drag_active());
    // Without a button down, moves change nothing.
    SendMouse(*list_, QEvent::MouseMove, CentreOf(*list_, 4), Qt::NoButton);
    QCOMPARE(Entries(*list_), QStringList({"2", "1", "3", "4"}));
  }

  void aFastMoveSwapsOnlyTheTwoEnds() {
    Fill(*list_, {"a", "b", "c", "d", "e", "f", "g"});
    Press(*list_, CentreOf(*list_, 2));
    MoveTo(*list_, CentreOf(*list_, 6));
    Release(*list_, CentreOf(*list_, 6));
    QCOMPARE(Entries(*list_), QStringList({"a", "f", "c", "d", "e", "b", "g"}));
  }

  void equalTextsAreNotSwapped() {
    Fill(*list_, {"x", "y", "x"});
    Press(*list_, CentreOf(*list_, 1));
    MoveTo(*list_, CentreOf(*list_, 3));
    QCOMPARE(Entries(*list_), QStringList({"x", "y", "x"}));
    QCOMPARE(list_->drag_row() + 1, 1);
  }

  void theDraggedEntryOutlivesTheRelease() {
    Fill(*list_, {"a", "b", "c"});
    Press(*list_, CentreOf(*list_, 1));
    Release(*list_, CentreOf(*list_, 1));
    Press(*list_, EmptySpace(*list_));
    MoveTo(*list_, CentreOf(*list_, 3));
    Release(*list_, CentreOf(*list_, 3));
    QCOMPARE(Entries(*list_), QStringList({"c", "b", "a"}));
    model_->Clear();
    QCOMPARE(list_->drag_row() + 1, 0);
  }

  void autoScrollFollowsTheVisibleAreaEdges() {
    for (int i = 1; i <= 60; ++i) model_->Append(QString::number(i));
    const int rows_visible = list_->viewport()->height() /
                             list_->visualRect(model_->index(0)).height();
    QVERIFY(rows_visible > 4 && rows_visible < 60);
    QScrollBar* bar = list_->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    // A swap in the middle scrolls nothing.
    Press(*list_, CentreOf(*list_, 2));
    MoveTo(*list_, CentreOf(*list_, 3));
    QCOMPARE(bar->value(), 0);
    // A swap on the last visible row brings the next one into view.
    const int last =
        1 + list_->indexAt(QPoint(10, list_->viewport()->height() - 2)).row();
    MoveTo(*list_, CentreOf(*list_, last));
    QCOMPARE(model_->Text(last - 1), QString("2"));
    QVERIFY(bar->value() > 0);
    QVERIFY(!list_->visualRect(model_->index(last)).isEmpty());
    const int scrolled = bar->value();
    // Holding still near the edge scrolls nothing more.
    MoveTo(*list_, CentreOf(*list_, last));
    QCOMPARE(bar->value(), scrolled);
    Release(*list_, CentreOf(*list_, last));
    // A swap on the first visible row brings the one above into view.
    const int first = 1 + list_->indexAt(QPoint(10, 2)).row();
    QVERIFY(first > 1);
    Press(*list_, CentreOf(*list_, first + 2));
    MoveTo(*list_, CentreOf(*list_, first));
    QVERIFY(bar->value() < scrolled);
    Release(*list_, CentreOf(*list_, first));
  }

  void dragPointerComesFromDragIcoOrOurOwn() {
    Fill(*list_, {"a", "b"});
    QFile::remove(program_folder_.path() + "/drag.ico");
    Press(*list_, CentreOf(*list_, 1));
    QCOMPARE(list_->viewport()->cursor().shape(), Qt::DragMoveCursor);
    Release(*list_, CentreOf(*list_, 1));
    QVERIFY(!list_->viewport()->testAttribute(Qt::WA_SetCursor));

    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    QVERIFY(icon.save(program_folder_.path() + "/drag.ico", "ICO"));
    Press(*list_, CentreOf(*list_, 2));
    QCOMPARE(list_->viewport()->cursor().shape(), Qt::BitmapCursor);
    Release(*list_, CentreOf(*list_, 2));
    // A press on empty space sets no drag pointer.
    Press(*list_, EmptySpace(*list_));
    QVERIFY(!list_->viewport()->testAttribute(Qt::WA_SetCursor));
    Release(*list_, EmptySpace(*list_));
  }

  void onlyLocalFileListsAreAccepted() {
    QMimeData text;
    text.setText("/tmp/a.xlsx");
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text,
                            Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &refused);
    QVERIFY(!refused.isAccepted());

    QMimeData web;
    web.setUrls({QUrl("https://example.com/a.xlsx")});
    QDragEnterEvent refused_web(QPoint(10, 10), Qt::CopyAction, &web,
                                Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &refused_web);
    QVERIFY(!refused_web.isAccepted());

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.xlsx")});
    QDragEnterEvent accepted(QPoint(10, 10), Qt::CopyAction, &files,
                             Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &accepted);
    QVERIFY(accepted.isAccepted());

    QDragMoveEvent refused_move(QPoint(12, 12), Qt::CopyAction, &text,
                                Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &refused_move);
    QVERIFY(!refused_move.isAccepted());

    QSignalSpy dropped(list_.get(), &FileListView::FilesDropped);
    QMimeData mixed;
    mixed.setUrls({QUrl::fromLocalFile("/tmp/b.ods"),
                   QUrl("https://example.com/x"),
                   QUrl::fromLocalFile("/tmp/a.xlsx")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mixed,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mixed, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(list_->viewport(), &drop);
    QVERIFY(drop.isAccepted());
    QTRY_COMPARE(dropped.count(), 1);
    QCOMPARE(dropped.first().first().value<std::vector<std::string>>(),
             std::vector<std::string>({"/tmp/b.ods", "/tmp/a.xlsx"}));
    QCOMPARE(model_->Count(), 0);  // the commands append, not the view
  }

 private:
  std::unique_ptr<FileListModel> model_;
  std::unique_ptr<FileListView> list_;
  QTemporaryDir program_folder_;
};

}  // namespace kestrilo::gui

QTEST_MAIN(kestrilo::gui::FileListViewTest)
#include "file_list_view_test.moc"

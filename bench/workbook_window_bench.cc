// SPDX-License-Identifier: MIT
// How long the workbook window takes to show its first screen of a
// 1,000,000-cell workbook (100,000 rows x 10 columns of text, numbers,
// booleans and dates): from asking for the workbook until the grid has
// painted its cells, reading included. The workbooks are written once into
// a temporary folder (xlsx with libxlsxwriter, csv by hand).
//
// BM_PaintFullScreen: painting one full screen of cells (1280 x 900), text
// spilling and a merged area included, with number formats, fonts, colours
// and fills drawn; BM_PaintFullScreenUnstyled: the same cells all in the
// default style.
//
// Also, run under Xvfb: `--screenshot=FILE.png [--file-name=NAME]` shows a
// workbook with stored column widths and a merged title, a selected block
// and the range prompt with its preview during a run (of a workbook of that
// name); `--workbook=PATH --sheet=NAME
// --workbook-screenshot=FILE.png` shows a sheet of any workbook;
// `--loading-screenshot=FILE.png` shows the window while it reads the
// benchmark workbook; `--formats-screenshot=FILE.png [--cell=B2]` a sheet
// of formatted cells with one selected, its value in the formula line;
// `--tabs-screenshot=FILE.png` the sheet tabs of a narrow window after
// switching sheets with Ctrl+Page Down and Ctrl+Page Up.

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "engine/model/range_address.h"
#include "engine/model/workbook.h"
#include "gui/spreadsheet/block_conversion.h"
#include "gui/spreadsheet/preview_sink.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/window_workbook_session.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {
namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 10;
const char* const kCities[] = {"Lisbon", "Oslo",  "Turin", "Ghent",
                               "Aarhus", "Porto", "Graz",  "Lyon"};

std::string BenchFolder() {
  const std::string folder =
      QDir::tempPath().toStdString() + "/kestrilo-window-bench";
  QDir().mkpath(QString::fromStdString(folder));
  return folder;
}

std::string RowText(int row, int column) {
  switch (column) {
    case 1:
      return "Customer " + std::to_string(row % 1000);
    case 2:
      return kCities[row % 8];
    case 7:
      return "C-" + std::to_string(row);
    default:
      return "note " + std::to_string(row % 97);
  }
}

std::string WriteXlsx() {
  const std::string path = BenchFolder() + "/million.xlsx";
  if (QFile::exists(QString::fromStdString(path))) return path;
  lxw_workbook* workbook = workbook_new(path.c_str());
  lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Data");
  lxw_format* date = workbook_add_format(workbook);
  format_set_num_format(date, "yyyy-mm-dd");
  for (int column = 0; column < kColumns; ++column) {
    worksheet_write_string(sheet, 0, column,
                           ("Field " + std::to_string(column + 1)).c_str(),
                           nullptr);
  }
  for (int row = 1; row < kRows; ++row) {
    worksheet_write_number(sheet, row, 0, row, nullptr);
    worksheet_write_string(sheet, row, 1, RowText(row, 1).c_str(), nullptr);
    worksheet_write_string(sheet, row, 2, RowText(row, 2).c_str(), nullptr);
    worksheet_write_number(sheet, row, 3, row * 1.25, nullptr);
    worksheet_write_number(sheet, row, 4, row % 50, nullptr);
    worksheet_write_number(sheet, row, 5, 44000 + row % 2000, date);
    worksheet_write_boolean(sheet, row, 6, row % 2, nullptr);
    worksheet_write_string(sheet, row, 7, RowText(row, 7).c_str(), nullptr);
    worksheet_write_number(sheet, row, 8, 1.0 / (row + 1), nullptr);
    worksheet_write_string(sheet, row, 9, RowText(row, 9).c_str(), nullptr);
  }
  if (workbook_close(workbook) != LXW_NO_ERROR) return {};
  return path;
}

std::string WriteCsv() {
  const std::string path = BenchFolder() + "/million.csv";
  if (QFile::exists(QString::fromStdString(path))) return path;
  std::ofstream out(path, std::ios::binary);
  for (int column = 0; column < kColumns; ++column) {
    out << (column ? "," : "") << "Field " << column + 1;
  }
  out << "\r\n";
  for (int row = 1; row < kRows; ++row) {
    out << row << ',' << RowText(row, 1) << ',' << RowText(row, 2) << ','
        << row * 1.25 << ',' << row % 50 << ",2021-08-31," << row % 2 << ','
        << RowText(row, 7) << ',' << 1.0 / (row + 1) << ',' << RowText(row, 9)
        << "\r\n";
  }
  return path;
}

// Waits, handling events, until the grid has painted once.
class PaintWatcher : public QObject {
 public:
  explicit PaintWatcher(QWidget* widget) { widget->installEventFilter(this); }
  bool painted = false;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

void FirstScreen(benchmark::State& state, const std::string& path) {
  if (path.empty()) {
    state.SkipWithError("the benchmark workbook could not be written");
    return;
  }
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    WindowWorkbookSession session(path);
    std::optional<std::optional<std::string>> opened;
    session.Open(
        [&](const std::optional<std::string>& error) { opened = error; });
    while (!opened) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    if (*opened) {
      state.SkipWithError(opened->value().c_str());
      return;
    }
    // The window may have painted its grid while the answer was on its
    // way: ask for one more paint, which ends the first screen.
    WorkbookWindow* window = session.window();
    PaintWatcher watcher(window->grid()->viewport());
    window->show();
    window->grid()->viewport()->update();
    while (!watcher.painted) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    session.Quit();
  }
}

void BM_FirstScreenXlsx(benchmark::State& state) {
  FirstScreen(state, WriteXlsx());
}
void BM_FirstScreenCsv(benchmark::State& state) {
  FirstScreen(state, WriteCsv());
}
BENCHMARK(BM_FirstScreenXlsx)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_FirstScreenCsv)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The window alone: a workbook already in memory, shown and painted, and a
// jump to its last row.
void BM_ShowAndScrollInMemory(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto workbook = std::make_unique<Workbook>("memory.xlsx", "xlsx");
    Sheet& sheet = workbook->AddSheet("Data", false);
    for (int row = 1; row <= kRows; ++row) {
      for (int column = 1; column <= kColumns; ++column) {
        sheet.SetNumber(row, column, row * column);
      }
    }
    sheet.Finish();
    state.ResumeTiming();
    WorkbookWindow window;
    window.SetWorkbook(std::move(workbook));
    PaintWatcher watcher(window.grid()->viewport());
    window.show();
    while (!watcher.painted) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    watcher.painted = false;
    window.grid()->scrollToBottom();
    while (!watcher.painted) {
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
  }
}
BENCHMARK(BM_ShowAndScrollInMemory)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The benchmark's kind of data for one full screen: texts of every length
// (some spilling), numbers, dates, a merged title; `styled`, in styles of
// number formats (thousands, percent, accounting with a fill, dates),
// bold, italic and underlined fonts, a font colour, fills on every other
// row, centred and right-aligned texts.
std::unique_ptr<Workbook> PaintWorkbook(bool styled) {
  auto workbook = std::make_unique<Workbook>("memory.xlsx", "xlsx");
  StyleTable& styles = workbook->styles();
  const auto style = [&](const char* format, bool banded,
                         auto&& set) -> std::uint32_t {
    if (!styled) return 0;
    CellStyle look;
    look.format = styles.AddFormat(format);
    if (banded) look.fill_color = 0xFFF2F2F2;
    set(look);
    return styles.Add(look);
  };
  // By column and by banding: [column][row % 2].
  std::uint32_t looks[kColumns + 1][2];
  for (int banded = 0; banded < 2; ++banded) {
    const bool band = banded == 1;
    const auto plain = [](CellStyle&) {};
    looks[1][banded] = style("#,##0.00", band, plain);
    looks[2][banded] =
        style("General", band, [](CellStyle& s) { s.bold = true; });
    looks[3][banded] = style("General", band, plain);
    looks[4][banded] = style("General", band, [](CellStyle& s) {
      s.italic = true;
      s.font_color = 0xFFC00000;
    });
    looks[5][banded] = style("d-mmm-yy", band, plain);
    looks[6][banded] = style("General", band, [](CellStyle& s) {
      s.horizontal = HorizontalAlignment::kRight;
    });
    looks[7][banded] =
        style("_(\"$\"* #,##0.00_);[Red]_(\"$\"* (#,##0.00)", band, plain);
    looks[8][banded] = style("General", band, [](CellStyle& s) {
      s.horizontal = HorizontalAlignment::kCenter;
    });
    looks[9][banded] = style("0.0%", band, plain);
    looks[10][banded] = style("General", band, [](CellStyle& s) {
      s.underline = Underline::kSingle;
    });
  }
  CellStyle title;
  title.bold = true;
  title.fill_color = 0xFFDDEBF7;
  title.horizontal = HorizontalAlignment::kCenter;
  Sheet& sheet = workbook->AddSheet("Data", false);
  sheet.SetText(1, 1, "Customers and their orders, all regions",
                styled ? styles.Add(title) : 0);
  sheet.layout().AddMergedArea({1, 1, 1, 6});
  for (int row = 2; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      const std::uint32_t look = looks[column][row % 2];
      if (column % 3 == 0) {
        if (row % 4 != 0)
          sheet.SetText(row, column,
                        RowText(row, column) + " " + RowText(row, 1), look);
      } else if (column == 5) {
        sheet.SetDateTime(row, column, 44000 + row % 2000, false, look);
      } else if (column % 2 == 0) {
        sheet.SetText(row, column, RowText(row, column), look);
      } else {
        const double sign = column == 7 && row % 5 == 0 ? -1 : 1;
        sheet.SetNumber(row, column, sign * row * 1.25 * column, look);
      }
    }
  }
  sheet.Finish();
  return workbook;
}

// One full screen repainted.
void PaintFullScreen(benchmark::State& state, bool styled) {
  WorkbookWindow window;
  window.SetWorkbook(PaintWorkbook(styled));
  window.resize(1280, 900);
  QWidget* viewport = window.grid()->viewport();
  PaintWatcher watcher(viewport);
  window.show();
  while (!watcher.painted) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  }
  for (auto _ : state) {
    watcher.painted = false;
    viewport->repaint();
    if (!watcher.painted) {
      state.SkipWithError("the grid did not paint");
      return;
    }
  }
  state.counters["cells"] =
      benchmark::Counter((window.grid()->rowAt(viewport->height() - 1) + 1) *
                         (window.grid()->columnAt(viewport->width() - 1) + 1));
}
void BM_PaintFullScreen(benchmark::State& state) {
  PaintFullScreen(state, true);
}
void BM_PaintFullScreenUnstyled(benchmark::State& state) {
  PaintFullScreen(state, false);
}
BENCHMARK(BM_PaintFullScreen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFullScreenUnstyled)->Unit(benchmark::kMillisecond);

// The live preview of a 1,000,000-cell selection as the window makes it on
// its own thread: the first lines, with the size counted on another thread
// (BM_PreviewSizeMillionCells: how long that count takes).
std::unique_ptr<Workbook> PreviewWorkbook() {
  auto workbook = std::make_unique<Workbook>("memory.xlsx", "xlsx");
  Sheet& sheet = workbook->AddSheet("Data", false);
  for (int row = 1; row <= kRows; ++row) {
    for (int column = 1; column <= kColumns; ++column) {
      if (column % 2 == 0) {
        sheet.SetText(row, column, RowText(row, column));
      } else {
        sheet.SetNumber(row, column, row * 1.25 * column);
      }
    }
  }
  sheet.Finish();
  return workbook;
}

void BM_PreviewMillionCells(benchmark::State& state) {
  WorkbookWindow window;
  window.SetWorkbook(PreviewWorkbook());
  window.BeginPrompt({}, [](const auto&) {});
  window.grid()->SelectAreas({{1, kRows, 1, kColumns}});
  ExportOptions options;
  for (auto _ : state) {
    options.row_first = !options.row_first;
    window.SetPreviewOptions(options);
  }
  window.EndPrompt();
}
BENCHMARK(BM_PreviewMillionCells)->Unit(benchmark::kMillisecond);

void BM_PreviewSizeMillionCells(benchmark::State& state) {
  // As the preview counts it: by the conversion the file is written by.
  const std::unique_ptr<Workbook> workbook = PreviewWorkbook();
  for (auto _ : state) {
    PreviewSink sink(60, false);
    ConvertBlock(*workbook, 0, ExportOptions(), "$A$1:$J$100000", sink, 0);
    benchmark::DoNotOptimize(sink.text().byte_count);
  }
}
BENCHMARK(BM_PreviewSizeMillionCells)->Unit(benchmark::kMillisecond);

std::unique_ptr<Workbook> ScreenshotWorkbook() {
  auto workbook =
      std::make_unique<Workbook>("/home/user/Orders 2021.xlsx", "xlsx");
  Sheet& sheet = workbook->AddSheet("Orders", false);
  const char* headers[] = {"Order", "Date",  "Region", "Product",
                           "Units", "Price", "Total",  "Shipped"};
  const char* regions[] = {"North", "South", "East", "West"};
  const char* products[] = {"Desk lamp", "Office chair", "Monitor arm",
                            "Keyboard",  "Notebook",     "Headset"};
  // A merged title over the table and the column widths the file stores.
  sheet.SetText(1, 2, "Orders 2021: all regions, first quarter");
  sheet.layout().AddMergedArea({1, 1, 2, 8});
  sheet.layout().AddColumns({1, 1, 18.0F, false});
  sheet.layout().AddColumns({3, 3, 90.0F, false});
  sheet.layout().AddColumns({5, 5, 84.0F, false});
  sheet.layout().AddColumns({7, 7, 36.0F, false});
  sheet.layout().AddRows({1, 1, 28.0F, false});
  for (int column = 0; column < 8; ++column) {
    sheet.SetText(2, column + 2, headers[column]);
  }
  for (int i = 0; i < 60; ++i) {
    const int row = i + 3;
    const double units = 3 + (i * 7) % 40;
    const double price = 12.5 + (i * 13) % 90;
    sheet.SetNumber(row, 2, 10401 + i);
    sheet.SetDateTime(row, 3, 44197 + i * 3, false);
    sheet.SetText(row, 4, regions[i % 4]);
    sheet.SetText(row, 5, products[(i * 5) % 6]);
    sheet.SetNumber(row, 6, units);
    sheet.SetNumber(row, 7, price);
    if (i == 6) {
      sheet.SetError(row, 8, "#VALUE!");
    } else {
      sheet.SetNumber(row, 8, units * price);
    }
    sheet.SetBoolean(row, 9, i % 3 != 0);
  }
  sheet.Finish();
  workbook->AddSheet("Customers", false).Finish();
  workbook->AddSheet("Summary", false).Finish();
  return workbook;
}

// Shows `window` at `size` near the screen's top left corner.
void ShowAt(WorkbookWindow& window, QSize size) {
  window.resize(size);
  window.move(20, 20);
  window.show();
}

// Saves the screen to `file` once the windows have had `ms` to paint; 0
// when it was saved.
int GrabScreenAfter(int ms, const QString& file) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, [&] {
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    loop.quit();
  });
  loop.exec();
  return QFile::exists(file) ? 0 : 1;
}

int Screenshot(const QString& file, const QString& file_name) {
  WorkbookWindow window;
  window.SetWorkbook(ScreenshotWorkbook());
  ShowAt(window, {1120, 700});
  PromptContext context;
  context.position = 2;
  context.count = 4;
  context.file_name = file_name;
  context.options.title = "Orders";
  window.BeginPrompt(context, [](const auto&) {});
  window.grid()->SelectAreas({{2, 13, 2, 8}});
  const int result = GrabScreenAfter(800, file);
  window.EndPrompt();
  return result;
}

// Cells in number formats, fonts, colours, fills and alignments: the format
// code, the cell as a wide column shows it, and the same value in a column
// of the default width (General rounded to it, "###" for a date).
std::unique_ptr<Workbook> FormatsWorkbook() {
  auto workbook = std::make_unique<Workbook>("/home/user/Formats.xlsx", "xlsx");
  StyleTable& styles = workbook->styles();
  const auto with_format = [&](const std::string& code) {
    CellStyle look;
    look.format = styles.AddFormat(code);
    return styles.Add(look);
  };
  CellStyle heading;
  heading.bold = true;
  heading.fill_color = 0xFFDDEBF7;
  heading.horizontal = HorizontalAlignment::kCenter;
  const std::uint32_t heading_style = styles.Add(heading);
  Sheet& sheet = workbook->AddSheet("Formats", false);
  sheet.layout().AddColumns({1, 1, 120.0F, false});
  sheet.layout().AddColumns({2, 2, 130.0F, false});
  sheet.layout().AddColumns({5, 5, 150.0F, false});
  const char* headings[] = {"Format code", "Shown", "Narrow", "", "Looks"};
  for (int column = 1; column <= 5; ++column) {
    if (*headings[column - 1] != '\0') {
      sheet.SetText(1, column, headings[column - 1], heading_style);
    }
  }
  struct Row {
    const char* code;
    CellValue value;
  };
  const Row rows[] = {
      {"0.00%", CellValue::Number(0.125)},
      {"\"$\"#,##0.00", CellValue::Number(12.5)},
      {"#,##0.00;[Red]-#,##0.00", CellValue::Number(-1234.5)},
      {"#,##0", CellValue::Number(1234567.891)},
      {"# ?/?", CellValue::Number(0.75)},
      {"0.00E+00", CellValue::Number(12345.678)},
      {"h:mm AM/PM", CellValue::DateTime(44439.5729166667)},
      {"d-mmm-yy", CellValue::DateTime(44439)},
      {"dddd, mmmm d, yyyy", CellValue::DateTime(44439)},
      {"hh:mm", CellValue::DateTime(0.3541666667, true)},
      {"[h]:mm:ss", CellValue::DateTime(1.5, true)},
      {"_(\"$\"* #,##0.00_)", CellValue::Number(1234.5)},
      {"General", CellValue::Number(1.0 / 7)},
      {"General", CellValue::Number(123456789012345.0)},
      {"General", CellValue::Boolean(true)},
  };
  int row = 2;
  for (const Row& shown : rows) {
    sheet.SetText(row, 1, shown.code);
    const std::uint32_t look = with_format(shown.code);
    for (int column = 2; column <= 3; ++column) {
      switch (shown.value.kind) {
        case CellKind::kDateTime:
          sheet.SetDateTime(row, column, shown.value.number,
                            shown.value.time_only, look);
          break;
        case CellKind::kBoolean:
          sheet.SetBoolean(row, column, shown.value.number != 0, look);
          break;
        default:
          sheet.SetNumber(row, column, shown.value.number, look);
      }
    }
    ++row;
  }
  const auto look = [&](auto&& set) {
    CellStyle style;
    set(style);
    return styles.Add(style);
  };
  sheet.SetText(2, 5, "Left", look([](CellStyle&) {}));
  sheet.SetText(3, 5, "Centred", look([](CellStyle& s) {
                  s.horizontal = HorizontalAlignment::kCenter;
                }));
  sheet.SetText(4, 5, "Right", look([](CellStyle& s) {
                  s.horizontal = HorizontalAlignment::kRight;
                }));
  sheet.SetText(5, 5, "Bold", look([](CellStyle& s) { s.bold = true; }));
  sheet.SetText(6, 5, "Italic", look([](CellStyle& s) { s.italic = true; }));
  sheet.SetText(7, 5, "Underlined",
                look([](CellStyle& s) { s.underline = Underline::kSingle; }));
  sheet.SetText(8, 5, "Blue on yellow", look([](CellStyle& s) {
                  s.font_color = 0xFF1F4E79;
                  s.fill_color = 0xFFFFF2CC;
                }));
  sheet.SetText(9, 5, "White on green, bold", look([](CellStyle& s) {
                  s.bold = true;
                  s.font_color = 0xFFFFFFFF;
                  s.fill_color = 0xFF548235;
                }));
  sheet.SetText(10, 5, "Top", look([](CellStyle& s) {
                  s.vertical = VerticalAlignment::kTop;
                }));
  sheet.SetText(11, 5, "Middle, centred", look([](CellStyle& s) {
                  s.vertical = VerticalAlignment::kCenter;
                  s.horizontal = HorizontalAlignment::kCenter;
                }));
  sheet.SetText(12, 5, "A longer text wrapped within its cell",
                look([](CellStyle& s) { s.wrap = true; }));
  sheet.SetNumber(13, 5, 42, look([](CellStyle& s) {
                    s.horizontal = HorizontalAlignment::kLeft;
                  }));
  sheet.SetText(
      14, 8, "Centred text spilling both ways",
      look([](CellStyle& s) { s.horizontal = HorizontalAlignment::kCenter; }));
  sheet.layout().AddRows({10, 11, 30.0F, false});
  sheet.layout().AddRows({12, 12, 45.0F, false});
  sheet.Finish();
  return workbook;
}

// The formats sheet with `cell` selected: the grid shows the cells as
// displayed, the formula line the selected cell's value.
int FormatsScreenshot(const QString& file, const QString& cell) {
  WorkbookWindow window;
  window.SetWorkbook(FormatsWorkbook());
  ShowAt(window, {1000, 560});
  window.SelectAddress(ParseAddress(cell.toStdString()));
  return GrabScreenAfter(600, file);
}

// The sheet tabs of a narrow window after switching sheets with Ctrl+Page
// Down and Ctrl+Page Up: every tab stays whole while there is room.
int TabsScreenshot(const QString& file) {
  auto workbook = std::make_unique<Workbook>("/home/user/Tabs.xlsx", "xlsx");
  for (const char* name :
       {"Read Me", "Second sheet", "Sales 2021", "Regions", "Totals"}) {
    Sheet& sheet = workbook->AddSheet(name, false);
    sheet.SetText(1, 1, name);
    sheet.Finish();
  }
  WorkbookWindow window;
  window.SetWorkbook(std::move(workbook));
  ShowAt(window, {640, 300});
  window.activateWindow();
  // The keys reach the window's shortcuts once it has the keyboard.
  if (!QTest::qWaitForWindowActive(&window)) return 1;
  window.grid()->setFocus();
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(window.grid(), Qt::Key_PageDown, Qt::ControlModifier);
  }
  QTest::keyClick(window.grid(), Qt::Key_PageUp, Qt::ControlModifier);
  QTest::keyClick(window.grid(), Qt::Key_PageUp, Qt::ControlModifier);
  std::fprintf(stderr, "active sheet after switching: %s\n",
               window.workbook()->sheet(window.active_sheet()).name().c_str());
  return GrabScreenAfter(600, file);
}

// A sheet of a workbook file, as the window shows it.
int WorkbookScreenshot(const QString& file, const QString& path,
                       const QString& sheet_name) {
  WorkbookWindow window;
  window.resize(1120, 700);
  window.move(20, 20);
  window.StartLoading(path.toStdString());
  try {
    window.WaitUntilLoaded();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  const int sheet = window.workbook()->FindSheet(sheet_name.toStdString());
  if (sheet >= 0) window.SetActiveSheet(sheet);
  window.show();
  QTimer::singleShot(600, &window, [&] {
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
    window.close();
  });
  QEventLoop loop;
  QObject::connect(&window, &WorkbookWindow::Closed, &loop, &QEventLoop::quit);
  loop.exec();
  return QFile::exists(file) ? 0 : 1;
}

// The window while it reads the benchmark workbook.
int LoadingScreenshot(const QString& file) {
  WorkbookWindow window;
  window.resize(900, 560);
  window.move(20, 20);
  window.StartLoading(WriteCsv());
  window.show();
  QTimer::singleShot(40, &window, [&] {
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
  });
  window.WaitUntilLoaded();
  return QFile::exists(file) ? 0 : 1;
}

}  // namespace
}  // namespace kestrilo::gui

int main(int argc, char** argv) {
  QString screenshot;
  QString loading_screenshot;
  QString workbook_screenshot;
  QString workbook;
  QString sheet;
  QString formats_screenshot;
  QString tabs_screenshot;
  QString file_name = QStringLiteral("Orders 2021.xlsx");
  QString cell = QStringLiteral("B2");
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    const QString value = argument.section('=', 1);
    if (argument.startsWith("--screenshot=")) {
      screenshot = value;
    } else if (argument.startsWith("--loading-screenshot=")) {
      loading_screenshot = value;
    } else if (argument.startsWith("--workbook-screenshot=")) {
      workbook_screenshot = value;
    } else if (argument.startsWith("--workbook=")) {
      workbook = value;
    } else if (argument.startsWith("--sheet=")) {
      sheet = value;
    } else if (argument.startsWith("--formats-screenshot=")) {
      formats_screenshot = value;
    } else if (argument.startsWith("--tabs-screenshot=")) {
      tabs_screenshot = value;
    } else if (argument.startsWith("--file-name=")) {
      file_name = value;
    } else if (argument.startsWith("--cell=")) {
      cell = value;
    }
  }
  if (screenshot.isEmpty() && loading_screenshot.isEmpty() &&
      workbook_screenshot.isEmpty() && formats_screenshot.isEmpty() &&
      tabs_screenshot.isEmpty() &&
      qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  // Workbook windows store their size and position: not in the user's own
  // settings.
  QStandardPaths::setTestModeEnabled(true);
  if (!screenshot.isEmpty()) {
    return kestrilo::gui::Screenshot(screenshot, file_name);
  }
  if (!tabs_screenshot.isEmpty()) {
    return kestrilo::gui::TabsScreenshot(tabs_screenshot);
  }
  if (!formats_screenshot.isEmpty()) {
    return kestrilo::gui::FormatsScreenshot(formats_screenshot, cell);
  }
  if (!workbook_screenshot.isEmpty()) {
    return kestrilo::gui::WorkbookScreenshot(workbook_screenshot, workbook,
                                             sheet);
  }
  if (!loading_screenshot.isEmpty()) {
    return kestrilo::gui::LoadingScreenshot(loading_screenshot);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

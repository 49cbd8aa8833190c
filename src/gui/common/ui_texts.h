// SPDX-License-Identifier: MIT

#pragma once

#include <QtGlobal>

/// Every text the desktop window shows the user, kept here so that each
/// stands in one place, byte for byte as users and their support mail know
/// it. Each is marked for lupdate, which makes the translators' template of
/// them (the build target kestrilo_translation_template), and reaches the
/// window only through Tr() of gui/common/translation.h: translated where a
/// translation is installed, else exactly as written here. Placeholders such
/// as %1 are filled with QString::arg where the text is used. The error
/// report's location texts and line numbers stay in the table of
/// error_report.cc, next to the steps they belong to: support reads them, in
/// every language.
namespace kestrilo::gui::texts {

// ---- Never translated ------------------------------------------------------
// Names the settings are stored under, values the window starts its fields
// with (they end up in settings and output files), and the message printed
// before the window, or any translation, exists.

// The organisation and application the stored settings are filed under.
inline constexpr char kSettingsOrganization[] = "Velmora";
inline constexpr char kSettingsApplication[] = "Kestrilo";
// The section of the stored settings, with its separator.
inline constexpr char kSettingsSection[] = "Kestrilo/";
// Stored setting names, in the order of SettingsStore::Key.
inline constexpr char kSettingOutputFolder[] = "Output Folder";
inline constexpr char kSettingLastFolderDot[] = "LastFolderDot";
inline constexpr char kSettingExtension[] = "Extension";
inline constexpr char kSettingLastFolder[] = "LastFolder";
inline constexpr char kSettingWorkbookWindow[] = "Workbook Window";
inline constexpr char kSettingMainWindow[] = "Main Window";
// Stored setting names of the export options (the table of
// gui/run/export_option_table.cc).
inline constexpr char kSettingHeaderMode[] = "Selection Properties";
inline constexpr char kSettingRecords[] = "Records";
inline constexpr char kSettingEscapeText[] = "Escape Text";
inline constexpr char kSettingValidNames[] = "Valid Names";
inline constexpr char kSettingAsDisplayed[] = "As Displayed";
inline constexpr char kSettingKeepEmpty[] = "Keep Empty";
inline constexpr char kSettingWriteSchema[] = "Write Schema";
inline constexpr char kSettingHierarchy[] = "Flip Row";
inline constexpr char kSettingTitle[] = "Title";
inline constexpr char kSettingRecordTag[] = "Record Tag";
// The values a setting starts with, as the window shows them.
inline constexpr char kDefaultTitle[] = "XML";
inline constexpr char kDefaultExtension[] = "xl*";
inline constexpr char kDefaultRecordTag[] = "Record";
// Printed to standard error when there is no display at all.
inline constexpr char kNoDisplayConsole[] =
    "kestrilo: no display to show the window on (neither DISPLAY nor "
    "WAYLAND_DISPLAY is set). Start it from a desktop session or under "
    "xvfb-run, or convert the workbooks with kestrilo-cli.\n";

// ---- The program as a whole ------------------------------------------------

//: The main window's title and the name the application starts with.
inline constexpr char kProductName[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Kestrilo");
//: Message box at start-up when workbook windows cannot be shown.
inline constexpr char kNoWindows[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Kestrilo cannot show its workbook windows: no display was found to "
    "show them on.\r\n\r\nStart Kestrilo from a desktop session, or convert "
    "the workbooks with kestrilo-cli, which needs no display.");
//: Error report description when the skin file exists but cannot be read.
inline constexpr char kSkinUnreadable[] =
    QT_TRANSLATE_NOOP("Kestrilo", "The skin file %1 could not be read: %2");
//: Error report description for a stored code that is not a number.
inline constexpr char kSettingNotNumber[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Type mismatch: the setting \"%1\" holds \"%2\", which is not a number");
//: Error report description when no default output folder can be found.
inline constexpr char kNoDesktopFolder[] =
    QT_TRANSLATE_NOOP("Kestrilo", "The desktop folder could not be found.");

// ---- Error report box ------------------------------------------------------

inline constexpr char kErrorReportCaption[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Application Error");
//: Between the location text and the step's number.
inline constexpr char kErrorReportAtLine[] =
    QT_TRANSLATE_NOOP("Kestrilo", "at line ");
//: After the number, followed by the support address.
inline constexpr char kErrorReportPlea[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "\r\rPlease email screenshot of this message to ");
//: The description of a failure that carries no message.
inline constexpr char kUnknownError[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Unknown error");

// ---- Main window: command buttons and progress bar -------------------------

inline constexpr char kAddFilesButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Add Excel Files");
inline constexpr char kAddFolderButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Add All Excel Files In &Folder");
inline constexpr char kClearListButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Clear List");
inline constexpr char kLoadSamplesButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Load Sample/Example Files");
inline constexpr char kStartExportButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Start Exporting To XML");
//: The progress bar's text while no run is going on.
inline constexpr char kProgressIdle[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Progress Bar");
//: The progress bar's text during a run, followed by the workbook's name.
inline constexpr char kProgressProcessing[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Processing: ");

// ---- Main window: menu bar and help --------------------------------------
// The menus' own titles have no access key: every letter of them is taken
// by a button or an option of the window. F10 opens the menu bar. "Clear
// List" is the button's text, the menu "Export" the range prompt's title.

inline constexpr char kFileMenu[] = QT_TRANSLATE_NOOP("Kestrilo", "File");
inline constexpr char kAddFilesAction[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Add Files...");
inline constexpr char kAddFolderAction[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Add &Folder...");
inline constexpr char kQuitAction[] = QT_TRANSLATE_NOOP("Kestrilo", "&Quit");
inline constexpr char kStartAction[] = QT_TRANSLATE_NOOP("Kestrilo", "&Start");
inline constexpr char kHelpMenu[] = QT_TRANSLATE_NOOP("Kestrilo", "Help");
inline constexpr char kContentsAction[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Contents");
inline constexpr char kAboutAction[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&About Kestrilo");
//: The help window's title.
inline constexpr char kHelpTitle[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Kestrilo Help");
//: "About Kestrilo": %1 is the version, such as "1.0.0".
inline constexpr char kAboutText[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Kestrilo %1\r\n\r\nTurns blocks of spreadsheet cells into XML files, one "
    "file per workbook.\r\n\r\nCopyright (c) 2026 Velmora. Free software "
    "under the MIT licence: you may use, copy, change and hand it on, "
    "provided the copyright and licence notice go with it. It comes without "
    "any warranty.");

// ---- Main window: export options frames ------------------------------------
// Each option's access key is its "&" letter, one of its own beside the
// buttons' (A, F, C, L, S, and Alt+O for "...").

inline constexpr char kHeaderModeGroup[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Options");
inline constexpr char kHeaderRowOption[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "First &row in the selection is a header row");
inline constexpr char kHeaderColumnOption[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "First column in the selection is a &header column");
inline constexpr char kBothHeadersOption[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "First row an&d column in the selection are headers");
inline constexpr char kNoHeadersOption[] =
    QT_TRANSLATE_NOOP("Kestrilo", "There are &no headers in the selection");
inline constexpr char kRecordsOption[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Each row is a record; headers give its sha&pe (@attribute, parent/child)");
//: The name of each record's element, beside the records option.
inline constexpr char kRecordTagLabel[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Record ta&g");
inline constexpr char kKeepEmptyCheck[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Keep empty attributes and elements");
inline constexpr char kWriteSchemaCheck[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Write an &XML Schema beside each file");
inline constexpr char kEscapeTextCheck[] =
    QT_TRANSLATE_NOOP("Kestrilo", "&Escape &&, < and > in cell text");
inline constexpr char kValidNamesCheck[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Make tag names &valid XML");
//: Cells are written with their number formats applied ("12.50%").
inline constexpr char kAsDisplayedCheck[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Write cells as the&y are displayed");
inline constexpr char kHierarchyGroup[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Flip Row-Column Hierarchy");
inline constexpr char kRowFirstOption[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Ro&w First");
inline constexpr char kColumnFirstOption[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Col&umn First");
inline constexpr char kTitleGroup[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "&Title - This will appear as the first and last tag");
inline constexpr char kOutputFolderGroup[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Save Results To Th&is Folder");
inline constexpr char kChooseFolderButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "...");
inline constexpr char kChooseFolderToolTip[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Choose the output folder (Alt+O)");
inline constexpr char kChooseFolderName[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Choose the output folder");

// ---- Main window: file list ------------------------------------------------

inline constexpr char kFileListToolTip[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Drag and drop files here. Double-click item to remove it. Hover over an "
    "item to see its full name.");
inline constexpr char kFileListHeader[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Excel File(s)");

// ---- File list commands ----------------------------------------------------

//: "Add Excel Files": the file dialog's title and filters.
inline constexpr char kAddFilesTitle[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "Add File(s) - Hold Ctrl to select multiple files");
//: %1: the file name patterns of every format read ("*.xlsx *.ods ...").
inline constexpr char kAllWorkbooksFilter[] =
    QT_TRANSLATE_NOOP("Kestrilo", "All workbooks (%1)");
inline constexpr char kExcelFilesFilter[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Excel Files (*.xl*)");
//: %1: the file name patterns of the formats read ("*.ods *.ots").
inline constexpr char kOdsFilesFilter[] =
    QT_TRANSLATE_NOOP("Kestrilo", "OpenDocument Spreadsheets (%1)");
//: %1: the file name patterns of the formats read ("*.csv *.tsv *.txt").
inline constexpr char kTextFilesFilter[] =
    QT_TRANSLATE_NOOP("Kestrilo", "CSV and Text Files (%1)");
inline constexpr char kAllFilesFilter[] =
    QT_TRANSLATE_NOOP("Kestrilo", "All Files (*)");
//: When the file dialog's selection cannot be read: nothing is added.
inline constexpr char kTooManyFiles[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "You've selected too many files to add.\r\rPlease try adding via the "
    "\"Add All\" button.");
//: "Add All Excel Files In Folder": the extension prompt and folder dialog.
inline constexpr char kExtensionPrompt[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Enter file extension to load:\r\r(* for all files, txt for all txt "
    "files, doc for all doc files, etc.)");
//: Also the title of the output folder dialog.
inline constexpr char kFolderPrompt[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Please select folder:");
//: The message listing what the folder scan left out.
inline constexpr char kSkippedHeading[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Left out of the list:\r\n\r\n");
inline constexpr char kSkippedMore[] =
    QT_TRANSLATE_NOOP("Kestrilo", "and %1 more");
//: "Load Sample/Example Files".
inline constexpr char kOpenFolderQuestion[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Would you like this software to open the folder where these sample "
    "files are stored (so that you can view them before working with them)?");
inline constexpr char kFolderIsHere[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "No file browser could be started to show the sample files. They are "
    "stored in this folder:\r\n\r\n");

// ---- "Start Exporting To XML" ----------------------------------------------

inline constexpr char kNoFiles[] =
    QT_TRANSLATE_NOOP("Kestrilo", "No files added.");
inline constexpr char kNoFolder[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "Folder does not exist. Please select another folder.");
inline constexpr char kWindowOpen[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "A workbook window is still open. It is recommended that you close it "
    "first.\r\n\r\nWould you like to proceed anyway?");
inline constexpr char kNoRange[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "You did not select a range. Please try again.");
//: Between a workbook's path and why it may not be written over.
inline constexpr char kPathSeparator[] = QT_TRANSLATE_NOOP("Kestrilo", ": ");
//: The message naming output files that several workbooks wrote, one a line.
inline constexpr char kReplacedFiles[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "More than one workbook of this run wrote these output files; each now "
    "holds the XML of the last of them:\r\n\r\n");
inline constexpr char kReplacedFile[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "%1 (the XML of %2 was replaced by that of %3)");
//: The message at the end of a run, and the counts added when not every
//: workbook became a file: "5 of 8 workbooks exported; 2 skipped; 1 failed
//: (see the messages before this one)".
inline constexpr char kDone[] = QT_TRANSLATE_NOOP("Kestrilo", "Done.");
inline constexpr char kDoneCounts[] =
    QT_TRANSLATE_NOOP("Kestrilo", "\r\n%1 of %2 %3 exported");
inline constexpr char kDoneSkipped[] =
    QT_TRANSLATE_NOOP("Kestrilo", "; %1 skipped");
inline constexpr char kDoneFailed[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "; %1 failed (see the messages before this one)");
//: After the counts when the user stopped the run: how many workbooks it
//: never began.
inline constexpr char kDoneNotBegun[] =
    QT_TRANSLATE_NOOP("Kestrilo", "; %1 not begun (the run was stopped)");
//: Headings of the lists of workbooks that gave no file, one path a line
//: (the first ten, then "and 3 more").
inline constexpr char kDoneSkippedList[] =
    QT_TRANSLATE_NOOP("Kestrilo", "\r\n\r\nSkipped:\r\n");
inline constexpr char kDoneFailedList[] =
    QT_TRANSLATE_NOOP("Kestrilo", "\r\n\r\nFailed:\r\n");
//: "Stop the Run": asked before the run ends; %1 is how many workbooks are
//: left, this one included.
inline constexpr char kStopRunQuestion[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Stop the whole run? This workbook and any after it (%1 in all) will not "
    "be exported.");
//: A workbook's path, and what the user should know of the XML written.
inline constexpr char kConversionWarning[] =
    QT_TRANSLATE_NOOP("Kestrilo", "%1: warning: %2");
//: A workbook's path and the least size of its XML, such as "172 GB".
inline constexpr char kLargeOutputQuestion[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "The XML of %1 would take at least %2. Write it anyway?");
//: A workbook's path and the size its XML grew beyond, such as "1 GB".
inline constexpr char kGrowingOutputQuestion[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "The XML of %1 grows beyond %2. Write all of it anyway?");
//: A workbook's path, and why its block gave no file.
inline constexpr char kBlockSkipped[] =
    QT_TRANSLATE_NOOP("Kestrilo", "%1: %2; skipped");
inline constexpr char kWorkbook[] = QT_TRANSLATE_NOOP("Kestrilo", "workbook");
inline constexpr char kWorkbooks[] = QT_TRANSLATE_NOOP("Kestrilo", "workbooks");

// ---- Workbook window -------------------------------------------------------

//: A workbook window's title: the workbook's file name and the program's
//: name ("Book1.xlsx — Kestrilo").
inline constexpr char kWorkbookWindowTitle[] =
    QT_TRANSLATE_NOOP("Kestrilo", "%1 — %2");
inline constexpr char kReady[] = QT_TRANSLATE_NOOP("Kestrilo", "Ready");
inline constexpr char kLoading[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Loading %1...");
inline constexpr char kWorkbookUnreadable[] =
    QT_TRANSLATE_NOOP("Kestrilo", "The workbook could not be read.");
inline constexpr char kNameBoxName[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Name box");
inline constexpr char kNameBoxToolTip[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Name box: type an address or a name and press Enter, or pick a named "
    "block from the list");
//: The heading of the name box's list above the workbook's tables.
//: The name box refused what was typed: the text.
inline constexpr char kNameBoxRefused[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "\"%1\" is neither a cell address of this sheet nor a name of this "
    "workbook.");
inline constexpr char kNameBoxTables[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Tables");
inline constexpr char kFormulaBarMark[] = QT_TRANSLATE_NOOP("Kestrilo", "fx");
//: The sheet tabs, for screen readers: their name and how the keyboard
//: reaches them.
inline constexpr char kSheetTabsName[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Sheets");
inline constexpr char kSheetTabsKeys[] = QT_TRANSLATE_NOOP(
    "Kestrilo",
    "Ctrl+Page Down and Ctrl+Page Up switch sheets; F6 moves the keyboard "
    "to the tabs, where the arrow keys choose one");
//: A number too wide for its cell.
inline constexpr char kOverflowMark[] = QT_TRANSLATE_NOOP("Kestrilo", "###");
//: The status bar's size of the selection.
inline constexpr char kNoCells[] = QT_TRANSLATE_NOOP("Kestrilo", "No cells");
inline constexpr char kBlockSize[] = QT_TRANSLATE_NOOP("Kestrilo", "%1 × %2");
inline constexpr char kOneRow[] = QT_TRANSLATE_NOOP("Kestrilo", "1 row");
inline constexpr char kRows[] = QT_TRANSLATE_NOOP("Kestrilo", "%1 rows");
inline constexpr char kOneColumn[] = QT_TRANSLATE_NOOP("Kestrilo", "1 column");
inline constexpr char kColumns[] = QT_TRANSLATE_NOOP("Kestrilo", "%1 columns");
//: Error report descriptions of the workbook session, after the path.
inline constexpr char kReadingInterrupted[] =
    QT_TRANSLATE_NOOP("Kestrilo", ": reading was interrupted");
inline constexpr char kWorkbookNotOpen[] =
    QT_TRANSLATE_NOOP("Kestrilo", ": the workbook is not open.");

// ---- Workbook window: range prompt and XML preview -------------------------

//: The range prompt's title, and the main window's menu of the run.
inline constexpr char kPromptDockTitle[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Export");
inline constexpr char kPromptInstruction[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Highlight a block of cells with mouse");
inline constexpr char kPromptFieldName[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Cell address");
inline constexpr char kPromptOk[] = QT_TRANSLATE_NOOP("Kestrilo", "OK");
inline constexpr char kPromptCancel[] = QT_TRANSLATE_NOOP("Kestrilo", "Cancel");
//: Ends the whole export run, after a question.
inline constexpr char kStopRunButton[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Stop the &Run");
inline constexpr char kRunPosition[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Workbook %1 of %2: %3");
inline constexpr char kNotAnAddress[] =
    QT_TRANSLATE_NOOP("Kestrilo", "That is not a cell address.");
//: A name the workbook defines that stands for no block: the name, and why.
inline constexpr char kNameUnusable[] =
    QT_TRANSLATE_NOOP("Kestrilo", "The name %1 cannot be used: it %2.");
inline constexpr char kBlockHoldsNoCells[] = QT_TRANSLATE_NOOP(
    "Kestrilo", "The selected rows or columns hold no cells.");
inline constexpr char kXmlPreviewTitle[] =
    QT_TRANSLATE_NOOP("Kestrilo", "XML preview");
inline constexpr char kCountingSize[] =
    QT_TRANSLATE_NOOP("Kestrilo", "Counting lines and bytes...");
inline constexpr char kPreviewSize[] =
    QT_TRANSLATE_NOOP("Kestrilo", "%1 lines, %2 bytes");
//: The preview's size line for a block far too large to count: "172 GB".
inline constexpr char kPreviewLeastSize[] =
    QT_TRANSLATE_NOOP("Kestrilo", "At least %1 of XML");
inline constexpr char kPreviewCut[] =
    QT_TRANSLATE_NOOP("Kestrilo", " (the first %1 lines shown)");

}  // namespace kestrilo::gui::texts

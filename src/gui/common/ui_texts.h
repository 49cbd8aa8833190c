#pragma once

/// Every text the desktop window shows the user, kept here so that each
/// stands in one place, byte for byte as users and their support mail know
/// it. Placeholders such as %1 are filled with QString::arg where the text is
/// used. The error report's location texts and line numbers stay in the table
/// of error_report.cc, next to the steps they belong to.
namespace kestrilo::gui::texts {

// ---- The program as a whole ------------------------------------------------

// The main window's title and the name the application starts with.
inline constexpr char kProductName[] = "Kestrilo";
// The organisation and application the stored settings are filed under.
inline constexpr char kSettingsOrganization[] = "Velmora";
inline constexpr char kSettingsApplication[] = "Kestrilo";
// The section of the stored settings, with its separator.
inline constexpr char kSettingsSection[] = "Kestrilo/";
// Printed to standard error when there is no display at all.
inline constexpr char kNoDisplayConsole[] =
    "kestrilo: no display to show the window on (neither DISPLAY nor "
    "WAYLAND_DISPLAY is set). Start it from a desktop session or under "
    "xvfb-run, or convert the workbooks with kestrilo-cli.\n";
// Message box at start-up when workbook windows cannot be shown.
inline constexpr char kNoWindows[] =
    "Kestrilo cannot show its workbook windows: no display was found to "
    "show them on.\r\n\r\nStart Kestrilo from a desktop session, or convert "
    "the workbooks with kestrilo-cli, which needs no display.";
// Error report description when the skin file exists but cannot be read.
inline constexpr char kSkinUnreadable[] =
    "The skin file %1 could not be read: %2";

// ---- Stored setting names, in the order of SettingsStore::Key ---------------

inline constexpr char kSettingHeaderMode[] = "Selection Properties";
inline constexpr char kSettingHierarchy[] = "Flip Row";
inline constexpr char kSettingTitle[] = "Title";
inline constexpr char kSettingOutputFolder[] = "Output Folder";
inline constexpr char kSettingLastFolderDot[] = "LastFolderDot";
inline constexpr char kSettingEscapeText[] = "Escape Text";
inline constexpr char kSettingExtension[] = "Extension";
inline constexpr char kSettingLastFolder[] = "LastFolder";
inline constexpr char kSettingValidNames[] = "Valid Names";
// The values a setting starts with, as the window shows them.
inline constexpr char kDefaultTitle[] = "XML";
inline constexpr char kDefaultExtension[] = "xl*";
// Error report description for a stored code that is not a number.
inline constexpr char kSettingNotNumber[] =
    "Type mismatch: the setting \"%1\" holds \"%2\", which is not a number";
// Error report description when no default output folder can be found.
inline constexpr char kNoDesktopFolder[] =
    "The desktop folder could not be found.";

// ---- Error report box ------------------------------------------------------

inline constexpr char kErrorReportCaption[] = "Application Error";
// Between the location text and the step's number.
inline constexpr char kErrorReportAtLine[] = "at line ";
// After the number, followed by the support address.
inline constexpr char kErrorReportPlea[] =
    "\r\rPlease email screenshot of this message to ";
// The address the report asks the user to write to.
inline constexpr char kSupportAddress[] = "support@kestrilo.example";
// The description of a failure that carries no message.
inline constexpr char kUnknownError[] = "Unknown error";

// ---- Main window: command buttons and progress bar -------------------------

inline constexpr char kAddFilesButton[] = "&Add Excel Files";
inline constexpr char kAddFolderButton[] = "Add All Excel Files In &Folder";
inline constexpr char kClearListButton[] = "&Clear List";
inline constexpr char kLoadSamplesButton[] = "&Load Sample/Example Files";
inline constexpr char kStartExportButton[] = "&Start Exporting To XML";
// The progress bar's text while no run is going on.
inline constexpr char kProgressIdle[] = "Progress Bar";
// The progress bar's text during a run, followed by the workbook's name.
inline constexpr char kProgressProcessing[] = "Processing: ";

// ---- Main window: export options frames ------------------------------------

inline constexpr char kHeaderModeGroup[] = "Options";
inline constexpr char kHeaderRowOption[] =
    "First row in the selection is a header row";
inline constexpr char kHeaderColumnOption[] =
    "First column in the selection is a header column";
inline constexpr char kBothHeadersOption[] =
    "First row and column in the selection are headers";
inline constexpr char kNoHeadersOption[] =
    "There are no headers in the selection";
inline constexpr char kEscapeTextCheck[] = "Escape &&, < and > in cell text";
inline constexpr char kValidNamesCheck[] = "Make tag names valid XML";
inline constexpr char kHierarchyGroup[] = "Flip Row-Column Hierarchy";
inline constexpr char kRowFirstOption[] = "Row First";
inline constexpr char kColumnFirstOption[] = "Column First";
inline constexpr char kTitleGroup[] =
    "Title - This will appear as the first and last tag";
inline constexpr char kOutputFolderGroup[] = "Save Results To This Folder";
inline constexpr char kChooseFolderButton[] = "...";
inline constexpr char kChooseFolderToolTip[] =
    "Choose the output folder (Alt+O)";
inline constexpr char kChooseFolderName[] = "Choose the output folder";

// ---- Main window: file list ------------------------------------------------

inline constexpr char kFileListToolTip[] =
    "Drag and drop files here. Double-click item to remove it. Hover over an "
    "item to see its full name.";
inline constexpr char kFileListHeader[] = "Excel File(s)";

// ---- File list commands ----------------------------------------------------

// "Add Excel Files": the file dialog's title and filters.
inline constexpr char kAddFilesTitle[] =
    "Add File(s) - Hold Ctrl to select multiple files";
inline constexpr char kExcelFilesFilter[] = "Excel Files (*.xl*)";
inline constexpr char kOdsFilesFilter[] = "OpenDocument Spreadsheets (*.ods)";
inline constexpr char kTextFilesFilter[] = "CSV and Text Files (*.csv *.txt)";
inline constexpr char kAllFilesFilter[] = "All Files (*)";
inline constexpr char kTooManyFiles[] =
    "You've selected too many files to add.\r\rPlease try adding via the "
    "\"Add All\" button.";
// "Add All Excel Files In Folder": the extension prompt and folder dialog.
inline constexpr char kExtensionPrompt[] =
    "Enter file extension to load:\r\r(* for all files, txt for all txt "
    "files, doc for all doc files, etc.)";
// Also the title of the output folder dialog.
inline constexpr char kFolderPrompt[] = "Please select folder:";
// The message listing what the folder scan left out.
inline constexpr char kSkippedHeading[] = "Left out of the list:\r\n\r\n";
inline constexpr char kSkippedMore[] = "and %1 more";
// "Load Sample/Example Files".
inline constexpr char kOpenFolderQuestion[] =
    "Would you like this software to open the folder where these sample "
    "files are stored (so that you can view them before working with them)?";
inline constexpr char kFolderIsHere[] =
    "No file browser could be started to show the sample files. They are "
    "stored in this folder:\r\n\r\n";

// ---- "Start Exporting To XML" ----------------------------------------------

inline constexpr char kNoFiles[] = "No files added.";
inline constexpr char kNoFolder[] =
    "Folder does not exist. Please select another folder.";
inline constexpr char kWindowOpen[] =
    "A workbook window is still open. It is recommended that you close it "
    "first.\r\n\r\nWould you like to proceed anyway?";
inline constexpr char kNoRange[] =
    "You did not select a range. Please try again.";
// Between a workbook's path and why it may not be written over.
inline constexpr char kPathSeparator[] = ": ";
// The message naming output files that several workbooks wrote, one a line.
inline constexpr char kReplacedFiles[] =
    "More than one workbook of this run wrote these output files; each now "
    "holds the XML of the last of them:\r\n\r\n";
inline constexpr char kReplacedFile[] =
    "%1 (the XML of %2 was replaced by that of %3)";
// The message at the end of a run, and the count added when some failed.
inline constexpr char kDone[] = "Done.";
inline constexpr char kDoneCounts[] =
    "\r\n%1 of %2 %3 exported; %4 failed (reported above)";
inline constexpr char kWorkbook[] = "workbook";
inline constexpr char kWorkbooks[] = "workbooks";

// ---- Workbook window -------------------------------------------------------

inline constexpr char kReady[] = "Ready";
inline constexpr char kLoading[] = "Loading %1...";
inline constexpr char kWorkbookUnreadable[] = "The workbook could not be read.";
inline constexpr char kNameBoxName[] = "Name box";
inline constexpr char kNameBoxToolTip[] =
    "Name box: type an address or a name and press Enter, or pick a named "
    "block from the list";
// The heading of the name box's list above the workbook's tables.
inline constexpr char kNameBoxTables[] = "Tables";
inline constexpr char kFormulaBarMark[] = "fx";
// A number too wide for its cell.
inline constexpr char kOverflowMark[] = "###";
// The status bar's size of the selection.
inline constexpr char kNoCells[] = "No cells";
inline constexpr char kBlockSize[] = "%1 × %2";
inline constexpr char kOneRow[] = "1 row";
inline constexpr char kRows[] = "%1 rows";
inline constexpr char kOneColumn[] = "1 column";
inline constexpr char kColumns[] = "%1 columns";
// Error report descriptions of the workbook session, after the path.
inline constexpr char kReadingInterrupted[] = ": reading was interrupted";
inline constexpr char kWorkbookNotOpen[] = ": the workbook is not open.";
inline constexpr char kEmptyBlockStart[] = ": the block ";
inline constexpr char kEmptyBlockSheet[] = " of sheet '";
inline constexpr char kEmptyBlockEnd[] = "' holds no cells.";

// ---- Workbook window: range prompt and XML preview -------------------------

inline constexpr char kPromptDockTitle[] = "Export";
inline constexpr char kPromptInstruction[] =
    "Highlight a block of cells with mouse";
inline constexpr char kPromptFieldName[] = "Cell address";
inline constexpr char kPromptOk[] = "OK";
inline constexpr char kPromptCancel[] = "Cancel";
inline constexpr char kRunPosition[] = "Workbook %1 of %2: %3";
inline constexpr char kNotAnAddress[] = "That is not a cell address.";
// A name the workbook defines that stands for no block: the name, and why.
inline constexpr char kNameUnusable[] = "The name %1 cannot be used: it %2.";
inline constexpr char kBlockHoldsNoCells[] =
    "The selected rows or columns hold no cells.";
inline constexpr char kXmlPreviewTitle[] = "XML preview";
inline constexpr char kCountingSize[] = "Counting lines and bytes...";
inline constexpr char kPreviewSize[] = "%1 lines, %2 bytes";
inline constexpr char kPreviewCut[] = " (the first %1 lines shown)";

}  // namespace kestrilo::gui::texts

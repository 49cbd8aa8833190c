// SPDX-License-Identifier: MIT

#include "gui/common/error_report.h"

#include <iterator>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

// The location texts and numbers were fixed by the program's first version;
// users quote them in support mail, so they stay exactly as they were.
constexpr char kStartUp[] = "in Kestrix2021/08/31.Form1.Form_Load ";
constexpr char kLoadSamples[] = "in Kestrix2021/08/31.Form1.PushButton1_Click ";
constexpr char kAddFolder[] = "in Kestrix2021/08/31.Form1.PushButton5_Click ";
constexpr char kFolderScan[] =
    "in Tarnwick2021/08/31.AddFolder.GetSubDirectories2016 ";
constexpr char kExport[] = "in Kestrix2021/08/31.Form1.PushButton8_Click ";

struct StepInfo {
  Step step;
  const char* location;
  int line;
};

constexpr StepInfo kSteps[] = {
    {Step::kApplySkin, kStartUp, 100},
    {Step::kRestoreHeaderMode, kStartUp, 132},
    {Step::kRestoreHierarchy, kStartUp, 148},
    {Step::kRestoreOutputFolder, kStartUp, 158},
    {Step::kLoadSamples, kLoadSamples, 100},
    {Step::kScanFolderTree, kAddFolder, 118},
    {Step::kListFolderFiles, kAddFolder, 124},
    {Step::kReadFolder, kFolderScan, 118},
    {Step::kOpenWorkbook, kExport, 150},
    {Step::kConvertBlock, kExport, 164},
    {Step::kWriteOutput, kExport, 166},
};

const StepInfo& InfoOf(Step step) {
  for (const StepInfo& info : kSteps) {
    if (info.step == step) return info;
  }
  return kSteps[std::size(kSteps) - 1];  // unreachable: every step is listed
}

}  // namespace

QString LocationOf(Step step) {
  return QString::fromLatin1(InfoOf(step).location);
}

int LineOf(Step step) { return InfoOf(step).line; }

QString SupportContact() { return QString::fromUtf8(KESTRILO_SUPPORT_CONTACT); }

QString ErrorReportText(const QString& description, Step step,
                        const QString& contact) {
  QString text = description + QStringLiteral("\r\n") + LocationOf(step) +
                 Tr(texts::kErrorReportAtLine) + QString::number(LineOf(step));
  // Without a contact there is no one to mail a screenshot to: the report
  // ends with its line rather than name an address that reads no mail.
  if (!contact.isEmpty()) text += Tr(texts::kErrorReportPlea) + contact;
  return text;
}

}  // namespace kestrilo::gui

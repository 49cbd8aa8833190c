// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "engine/model/range_address.h"
#include "gui/spreadsheet/typed_reference.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrilo::gui {

class ElidedLabel;
class SheetGrid;
class XmlPreviewPane;

/// The range prompt, docked beside the grid so that it covers no cells:
/// where the run stands ("Workbook 2 of 4: name.xlsx"), "Highlight a block
/// of cells with mouse", an address field, OK and Cancel, and a preview of
/// the XML the selection gives. The field follows the grid's selection in
/// absolute form ($B$2:$D$4, several areas joined by ","), and an address
/// or a name of the workbook typed into the field is selected in the grid.
/// OK answers the block's absolute address; with a text that is neither it
/// says so and asks again. Cancel and Escape (here or in the grid) cancel.
/// "Stop the Run", shown once SetStopRun() gives it something to do, asks
/// to end the whole run.
class RangePrompt : public QWidget {
  Q_OBJECT

 public:
  /// Selects a typed address in the workbook (switching to the sheet it
  /// names); false when it names no sheet of the workbook.
  using SelectFunction = std::function<bool(const RangeAddress&)>;
  /// What a typed text means in the workbook (an address or a name).
  using ResolveFunction = std::function<TypedReference(const QString&)>;

  RangePrompt(SheetGrid* grid, SelectFunction select, ResolveFunction resolve,
              QWidget* parent);

  /// Shows which workbook of the run this is, shortened in the middle to
  /// the prompt's width with the whole name as its tooltip; an empty name
  /// hides the line.
  void SetRunPosition(int position, int count, const QString& file_name);

  /// Shows "Stop the Run", which calls `stop_run` when pressed.
  void SetStopRun(std::function<void()> stop_run);

  /// The absolute address of the field's text (of a name: its block's), or
  /// nothing when it is empty, neither an address nor a usable name, or
  /// names a sheet the workbook lacks. A block on another sheet makes that
  /// sheet active, as the answer is an address on the active sheet.
  std::optional<std::string> Address() const;

  QLineEdit* address_field() const { return field_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }
  QPushButton* stop_run_button() const { return stop_run_; }
  QLabel* message_label() const { return message_; }
  ElidedLabel* run_position_label() const { return run_position_; }
  XmlPreviewPane* preview() const { return preview_; }

  /// Shows the grid's selection in the field.
  void FollowSelection();
  /// OK: answers with the field's address, or asks again when it is none.
  void Confirm();

 signals:
  void Confirmed(const QString& address);
  void Cancelled();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SelectTyped(const QString& text);
  void MarkValid(bool valid);

  SheetGrid* grid_;
  SelectFunction select_;
  ResolveFunction resolve_;
  ElidedLabel* run_position_;
  QLineEdit* field_;
  QLabel* message_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QPushButton* stop_run_;
  std::function<void()> stop_run_call_;
  XmlPreviewPane* preview_;
  bool typing_ = false;
};

}  // namespace kestrilo::gui

#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "engine/range_address.h"

class QLineEdit;
class QPushButton;

namespace kestrilo {

class SheetGrid;

/// The range prompt: "Highlight a block of cells with mouse", an address
/// field, OK and Cancel. It is not modal, so that the grid under it keeps
/// taking the mouse: the field follows the grid's selection in absolute form
/// ($B$2:$D$4, several areas joined by ","), and an address typed into the
/// field is selected in the grid.
class RangePrompt : public QDialog {
  Q_OBJECT

 public:
  /// Selects a typed address in the workbook (switching to the sheet it
  /// names); false when it names no sheet of the workbook.
  using SelectFunction = std::function<bool(const RangeAddress&)>;

  RangePrompt(SheetGrid* grid, SelectFunction select, QWidget* parent);

  /// The absolute address of the field's text, or nothing when it is empty,
  /// malformed or names a sheet the workbook lacks.
  std::optional<std::string> Address() const;

  QLineEdit* address_field() const { return field_; }
  QPushButton* ok_button() const { return ok_; }
  QPushButton* cancel_button() const { return cancel_; }

  /// Shows the grid's selection in the field.
  void FollowSelection();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SelectTyped(const QString& text);
  void MarkValid(bool valid);

  SheetGrid* grid_;
  SelectFunction select_;
  QLineEdit* field_;
  QPushButton* ok_;
  QPushButton* cancel_;
  bool typing_ = false;
};

}  // namespace kestrilo

// SPDX-License-Identifier: MIT

#pragma once

#include <QList>
#include <QWidget>
#include <vector>

class QAbstractButton;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrilo::gui {

class Dialogs;
class ExportSettings;
struct ExportOptionRow;

/// The frames of the export options, built from the table of export
/// options: the layouts (the header modes and the records layout, with the
/// cells' and the records' own options below them), the hierarchy, the
/// title (with the records' tag) and the output folder. Its controls show
/// the settings and change them; those of options that do not matter in
/// the layout chosen are disabled.
class ExportOptionsPanel : public QWidget {
  Q_OBJECT

 public:
  /// The settings store every change. `settings` and `dialogs` must
  /// outlive the panel.
  explicit ExportOptionsPanel(ExportSettings& settings, Dialogs& dialogs,
                              QWidget* parent = nullptr);

  /// The frames and the controls the pointer rule and the tab order need.
  QList<QWidget*> frames() const;
  QList<QWidget*> options() const;
  QPushButton* choose_folder_button() const { return choose_folder_button_; }
  QLineEdit* output_folder_edit() const { return output_folder_edit_; }
  /// The controls in the order Tab visits them.
  QList<QWidget*> tab_order() const;

 protected:
  /// A frame's access key goes to its text field, whichever of its
  /// controls had the keyboard last.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  /// The controls of one option, and how they show its value.
  struct Control {
    const ExportOptionRow* row;
    /// The widgets that show the value: one check box, line or list, or
    /// one option button per choice.
    QList<QWidget*> widgets;
    /// Disabled with it: its label or frame.
    QWidget* frame = nullptr;
  };

  QGroupBox* MakeFrame(const char* caption);
  void BuildRow(const ExportOptionRow& row);
  void AddRadios(const ExportOptionRow& row, QGroupBox* frame,
                 QLayout* layout);
  void AddToColumn(const ExportOptionRow& row, int column);
  void AddLabelled(const ExportOptionRow& row, QWidget* field,
                   QWidget* parent, QLayout* layout);
  QGroupBox* BuildOutputFolder();
  void Connect(const Control& control);
  /// Makes the controls show the settings.
  void Show();
  void ShowControl(const Control& control);

  ExportSettings& settings_;
  Dialogs& dialogs_;
  std::vector<Control> controls_;
  QGroupBox* layouts_frame_ = nullptr;
  QGridLayout* columns_ = nullptr;
  int column_rows_[2] = {0, 0};
  QGroupBox* hierarchy_frame_ = nullptr;
  QGroupBox* title_frame_ = nullptr;
  QGroupBox* output_folder_frame_ = nullptr;
  QLineEdit* output_folder_edit_ = nullptr;
  QPushButton* choose_folder_button_ = nullptr;
  /// Option buttons in the order of their frames, each frame's together.
  QList<QList<QRadioButton*>> radio_groups_;
  /// Each frame with a text field, and the field its access key reaches.
  QList<QPair<QWidget*, QWidget*>> frame_fields_;
};

}  // namespace kestrilo::gui

// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrilo::gui {

class Dialogs;
class ExportSettings;

/// The frames of the export options: header mode (with the records
/// layout's own options), hierarchy, title (with the records' tag) and
/// output folder. Its controls show
/// the settings and change them.
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

 private:
  QGroupBox* BuildHeaderModes();
  QGroupBox* BuildHierarchy();
  QGroupBox* BuildTitle();
  QGroupBox* BuildOutputFolder();
  void Connect();
  /// Makes the controls show the settings.
  void Show();

  ExportSettings& settings_;
  Dialogs& dialogs_;
  QGroupBox* header_mode_group_ = nullptr;
  /// In the order of the modes' codes.
  QList<QRadioButton*> header_options_;
  QCheckBox* escape_text_check_ = nullptr;
  QCheckBox* valid_names_check_ = nullptr;
  QLabel* record_tag_label_ = nullptr;
  QLineEdit* record_tag_edit_ = nullptr;
  QCheckBox* keep_empty_check_ = nullptr;
  QCheckBox* write_schema_check_ = nullptr;
  QCheckBox* as_displayed_check_ = nullptr;
  QGroupBox* hierarchy_group_ = nullptr;
  QRadioButton* row_first_option_ = nullptr;
  QRadioButton* column_first_option_ = nullptr;
  QGroupBox* title_group_ = nullptr;
  QLineEdit* title_edit_ = nullptr;
  QGroupBox* output_folder_group_ = nullptr;
  QLineEdit* output_folder_edit_ = nullptr;
  QPushButton* choose_folder_button_ = nullptr;
};

}  // namespace kestrilo::gui

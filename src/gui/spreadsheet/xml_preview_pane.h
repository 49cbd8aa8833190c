// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QWidget>

#include "gui/spreadsheet/preview_sink.h"

class QLabel;
class QPlainTextEdit;

namespace kestrilo::gui {

/// The live preview beside the range prompt: the first lines of the XML
/// the selection gives, exactly as they will be written, and the size of
/// the whole text.
class XmlPreviewPane : public QWidget {
  Q_OBJECT

 public:
  /// Lines shown of the text.
  static constexpr int kLines = 60;

  explicit XmlPreviewPane(QWidget* parent = nullptr);

  void ShowPreview(const PreviewText& preview);
  /// Shows the first lines while the size is still being counted.
  void ShowHead(const std::string& head);
  void ShowSize(std::int64_t lines, std::int64_t bytes);
  /// The size line for XML too large to count: the least it takes.
  void ShowLeastSize(std::uint64_t bytes);
  /// Shows a note instead of XML (the selection gives none).
  void ShowNote(const QString& note);

  /// The XML shown, as it will be written (CR LF line ends), or empty.
  const QString& xml() const { return xml_; }
  /// The size line, such as "1,204 lines, 38,211 bytes".
  QString size_text() const;

 private:
  QPlainTextEdit* text_;
  QLabel* size_;
  QString xml_;
};

}  // namespace kestrilo::gui

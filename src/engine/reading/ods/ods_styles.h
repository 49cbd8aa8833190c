// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/display/ods_number_style.h"
#include "engine/model/style_table.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace kestrilo {

/// The cell styles of an OpenDocument spreadsheet: the common styles of
/// styles.xml (office:styles) and the automatic ones of content.xml, each
/// with the number style it shows values in and its text, paragraph and
/// cell properties, inheriting what it does not set from its parent and
/// from the default style. Gathered as the reader meets them, then
/// resolved once into the workbook's StyleTable.
class OdsStyles {
 public:
  /// A cell style as cells use it.
  struct Resolved {
    /// The index in the workbook's StyleTable.
    std::uint32_t style = 0;
    /// Its number style is a boolean one: numbers show as TRUE or FALSE.
    bool boolean = false;
  };

  OdsStyles();
  ~OdsStyles();
  OdsStyles(const OdsStyles&) = delete;
  OdsStyles& operator=(const OdsStyles&) = delete;

  /// Takes one token of styles.xml (`common` true: its office:styles) or
  /// of content.xml (`common` false: its office:automatic-styles); tokens
  /// outside those are passed by.
  void Take(const XmlTokenizer& xml, XmlTokenizer::Token token, bool common);

  /// Adds every cell style gathered to `table`, once they all are. Throws
  /// std::length_error from the table.
  void Resolve(StyleTable& table);

  /// The style named `name` (an automatic style before a common one); the
  /// common style "Default", which cells without a style take, for a name
  /// not known. After Resolve.
  const Resolved& Find(std::string_view name) const;
  /// The common style "Default".
  const Resolved& default_style() const { return default_; }

 private:
  struct CellStyleEntry;
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const {
      return std::hash<std::string_view>()(name);
    }
  };
  template <typename Value>
  using ByName =
      std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;

  void Start(const XmlTokenizer& xml, bool common);
  void StartStyle(const XmlTokenizer& xml, std::string_view name, bool common);
  void End(std::size_t depth);
  Resolved ResolveStyle(const CellStyleEntry& entry, StyleTable& table);
  const std::string& CodeOf(const std::string& data_style);
  const OdsStyleElement* NumberStyle(std::string_view name) const;

  // Where the styles being read lie: the depth of office:styles or
  // office:automatic-styles, 0 outside them.
  std::size_t container_depth_ = 0;
  // The cell style whose properties are being read, and its depth.
  CellStyleEntry* cell_style_ = nullptr;
  std::size_t cell_style_depth_ = 0;
  // The elements of the number style being read, outermost first.
  std::vector<OdsStyleElement*> open_;

  std::unique_ptr<CellStyleEntry> default_entry_;
  ByName<CellStyleEntry> common_;
  ByName<CellStyleEntry> automatic_;
  // Number styles of content.xml first: they win over common ones.
  ByName<OdsStyleElement> automatic_numbers_;
  ByName<OdsStyleElement> common_numbers_;
  ByName<std::string> codes_;
  ByName<Resolved> resolved_;
  Resolved default_;
};

}  // namespace kestrilo

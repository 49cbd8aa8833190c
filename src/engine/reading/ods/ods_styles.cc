// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_styles.h"

#include <optional>

#include "engine/display/hex_color.h"
#include "engine/model/cell_style.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// Parent chains longer than this are cut: a loop of parents ends there.
constexpr int kMaxStyleChain = 32;

// fo:font-weight: "bold" or a weight of 600 and more.
bool IsBoldWeight(std::string_view weight) {
  int number = 0;
  return weight == "bold" || (ParseInteger(weight, number) && number >= 600);
}

HorizontalAlignment TextAlignNamed(std::string_view name) {
  if (name == "center") return HorizontalAlignment::kCenter;
  if (name == "end" || name == "right") return HorizontalAlignment::kRight;
  if (name == "justify") return HorizontalAlignment::kJustify;
  return HorizontalAlignment::kLeft;  // start, left
}

VerticalAlignment VerticalAlignNamed(std::string_view name) {
  if (name == "top") return VerticalAlignment::kTop;
  if (name == "middle") return VerticalAlignment::kCenter;
  return VerticalAlignment::kBottom;  // bottom, automatic
}

bool IsNumberStyle(std::string_view name) {
  static constexpr std::string_view kNames[] = {
      "number-style", "currency-style", "percentage-style", "date-style",
      "time-style",   "boolean-style",  "text-style"};
  for (const std::string_view known : kNames) {
    if (name == known) return true;
  }
  return false;
}

// Keeps the current start tag, named `name`, as an element of a number
// style: its attributes by local name.
void KeepElement(const XmlTokenizer& xml, std::string_view name,
                 OdsStyleElement& element) {
  element.name = name;
  for (const auto& attribute : xml.attributes()) {
    element.attributes.emplace_back(XmlTokenizer::LocalName(attribute.name),
                                    attribute.value);
  }
}

template <typename Value>
void SetIfGiven(const std::optional<Value>& given, Value& value) {
  if (given) value = *given;
}

}  // namespace

// What one style:style or style:default-style sets itself; the rest comes
// from its parent.
struct OdsStyles::CellStyleEntry {
  std::string parent;
  std::optional<std::string> data_style;
  std::optional<bool> bold;
  std::optional<bool> italic;
  std::optional<Underline> underline;
  std::optional<std::uint32_t> font_color;
  std::optional<std::uint32_t> fill_color;
  // fo:text-align, and whether style:text-align-source makes it count
  // (false: aligned by value type, as General).
  std::optional<HorizontalAlignment> text_align;
  std::optional<bool> fixed_alignment;
  std::optional<VerticalAlignment> vertical;
  std::optional<bool> wrap;

  void ReadProperties(const XmlTokenizer& xml, std::string_view name);
  void ApplyTo(CellStyle& style, bool& fixed, HorizontalAlignment& align,
               std::string& data) const;
};

void OdsStyles::CellStyleEntry::ReadProperties(const XmlTokenizer& xml,
                                               std::string_view name) {
  if (name == "text-properties") {
    if (const auto* weight = xml.FindAttribute("font-weight")) {
      bold = IsBoldWeight(*weight);
    }
    if (const auto* posture = xml.FindAttribute("font-style")) {
      italic = *posture == "italic" || *posture == "oblique";
    }
    if (const auto* line = xml.FindAttribute("text-underline-style")) {
      underline = *line == "none" ? Underline::kNone
                  : xml.AttributeOr("text-underline-type") == "double"
                      ? Underline::kDouble
                      : Underline::kSingle;
    }
    if (xml.AttributeOr("use-window-font-color") == "true") {
      font_color = 0;
    } else if (const auto color = ParseHexColor(xml.AttributeOr("color"))) {
      font_color = *color;
    }
  } else if (name == "paragraph-properties") {
    if (const auto* align = xml.FindAttribute("text-align")) {
      text_align = TextAlignNamed(*align);
    }
  } else if (name == "table-cell-properties") {
    if (const auto* source = xml.FindAttribute("text-align-source")) {
      fixed_alignment = *source != "value-type";
    }
    if (const auto* background = xml.FindAttribute("background-color")) {
      fill_color = ParseHexColor(*background).value_or(0);  // "transparent"
    }
    if (const auto* align = xml.FindAttribute("vertical-align")) {
      vertical = VerticalAlignNamed(*align);
    }
    if (const auto* option = xml.FindAttribute("wrap-option")) {
      wrap = *option == "wrap";
    }
  }
}

void OdsStyles::CellStyleEntry::ApplyTo(CellStyle& style, bool& fixed,
                                        HorizontalAlignment& align,
                                        std::string& data) const {
  SetIfGiven(data_style, data);
  SetIfGiven(bold, style.bold);
  SetIfGiven(italic, style.italic);
  SetIfGiven(underline, style.underline);
  SetIfGiven(font_color, style.font_color);
  SetIfGiven(fill_color, style.fill_color);
  SetIfGiven(text_align, align);
  SetIfGiven(fixed_alignment, fixed);
  SetIfGiven(vertical, style.vertical);
  SetIfGiven(wrap, style.wrap);
}

OdsStyles::OdsStyles() : default_entry_(std::make_unique<CellStyleEntry>()) {}
OdsStyles::~OdsStyles() = default;

void OdsStyles::Take(const XmlTokenizer& xml, Token token, bool common) {
  switch (token) {
    case Token::kStartTag:
      Start(xml, common);
      break;
    case Token::kEndTag:
      End(xml.depth() + 1);
      break;
    case Token::kText:
      if (!open_.empty()) open_.back()->text.append(xml.text());
      break;
    case Token::kEnd:
      break;
  }
}

void OdsStyles::Start(const XmlTokenizer& xml, bool common) {
  const std::string_view name = xml.local_name();
  const std::size_t depth = xml.depth();
  if (container_depth_ == 0) {
    if (name == (common ? "styles" : "automatic-styles")) {
      container_depth_ = depth;
    }
  } else if (!open_.empty()) {
    OdsStyleElement& child = open_.back()->children.emplace_back();
    KeepElement(xml, name, child);
    open_.push_back(&child);
  } else if (cell_style_ != nullptr) {
    if (depth == cell_style_depth_ + 1) cell_style_->ReadProperties(xml, name);
  } else if (depth == container_depth_ + 1) {
    StartStyle(xml, name, common);
  }
}

void OdsStyles::StartStyle(const XmlTokenizer& xml, std::string_view name,
                           bool common) {
  const std::size_t depth = xml.depth();
  const bool cells = xml.AttributeOr("family") == "table-cell";
  if (name == "default-style" && cells) {
    cell_style_ = default_entry_.get();
  } else if (name == "style" && cells) {
    auto& styles = common ? common_ : automatic_;
    CellStyleEntry& entry = styles[std::string(xml.AttributeOr("name"))];
    entry = CellStyleEntry();
    entry.parent = xml.AttributeOr("parent-style-name");
    if (const auto* data = xml.FindAttribute("data-style-name")) {
      entry.data_style = std::string(*data);
    }
    cell_style_ = &entry;
  } else if (IsNumberStyle(name)) {
    auto& numbers = common ? common_numbers_ : automatic_numbers_;
    OdsStyleElement& style = numbers[std::string(xml.AttributeOr("name"))];
    style = OdsStyleElement();
    KeepElement(xml, name, style);
    open_.push_back(&style);
    return;
  } else {
    return;
  }
  cell_style_depth_ = depth;
}

void OdsStyles::End(std::size_t depth) {
  if (!open_.empty()) {
    open_.pop_back();
  } else if (cell_style_ != nullptr && depth == cell_style_depth_) {
    cell_style_ = nullptr;
  } else if (depth == container_depth_) {
    container_depth_ = 0;
  }
}

const OdsStyleElement* OdsStyles::NumberStyle(std::string_view name) const {
  if (const auto it = automatic_numbers_.find(name);
      it != automatic_numbers_.end()) {
    return &it->second;
  }
  const auto it = common_numbers_.find(name);
  return it != common_numbers_.end() ? &it->second : nullptr;
}

const std::string& OdsStyles::CodeOf(const std::string& data_style) {
  if (const auto it = codes_.find(data_style); it != codes_.end()) {
    return it->second;
  }
  std::string code = "General";
  if (const OdsStyleElement* style = NumberStyle(data_style)) {
    code = OdsNumberStyleToCode(
        *style, [this](std::string_view name) { return NumberStyle(name); });
  }
  return codes_.emplace(data_style, std::move(code)).first->second;
}

OdsStyles::Resolved OdsStyles::ResolveStyle(const CellStyleEntry& entry,
                                            StyleTable& table) {
  std::vector<const CellStyleEntry*> chain = {&entry};
  while (chain.size() < kMaxStyleChain && !chain.back()->parent.empty()) {
    const auto parent = common_.find(chain.back()->parent);
    if (parent == common_.end()) break;
    chain.push_back(&parent->second);
  }
  CellStyle style;
  bool fixed = true;
  HorizontalAlignment align = HorizontalAlignment::kGeneral;
  std::string data;
  default_entry_->ApplyTo(style, fixed, align, data);
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    (*it)->ApplyTo(style, fixed, align, data);
  }
  style.horizontal = fixed ? align : HorizontalAlignment::kGeneral;
  Resolved resolved;
  if (!data.empty()) {
    style.format = table.AddFormat(CodeOf(data));
    const OdsStyleElement* number = NumberStyle(data);
    resolved.boolean = number != nullptr && number->name == "boolean-style";
  }
  resolved.style = table.Add(style);
  return resolved;
}

void OdsStyles::Resolve(StyleTable& table) {
  resolved_.clear();
  for (const auto& [name, entry] : automatic_) {
    resolved_.emplace(name, ResolveStyle(entry, table));
  }
  for (const auto& [name, entry] : common_) {
    if (!resolved_.contains(name)) {
      resolved_.emplace(name, ResolveStyle(entry, table));
    }
  }
  const auto it = resolved_.find(std::string_view("Default"));
  default_ = it != resolved_.end() ? it->second
                                   : ResolveStyle(CellStyleEntry(), table);
}

const OdsStyles::Resolved& OdsStyles::Find(std::string_view name) const {
  const auto it = resolved_.find(name);
  return it != resolved_.end() ? it->second : default_;
}

}  // namespace kestrilo

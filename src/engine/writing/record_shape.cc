// SPDX-License-Identifier: MIT

#include "engine/writing/record_shape.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>
#include <utility>

#include "engine/model/column_letters.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {

std::string RecordTagName(std::string_view text) {
  std::string name;
  AppendTagName(text, true, name);
  MakeNameValid(name);
  return name;
}

namespace {

struct Step {
  std::string name;
  int sibling = 0;  // 0: no number given
};

// A header read as a path: its element steps and, when it ends in one, the
// attribute.
struct HeaderPath {
  std::vector<Step> elements;
  bool is_attribute = false;
  std::string attribute;
};

// "name[3]" gives "name" and 3; anything else is all name.
Step ReadStep(std::string_view text) {
  constexpr std::size_t kMostDigits = 9;
  const std::size_t open = text.rfind('[');
  if (open != std::string_view::npos && text.ends_with(']')) {
    const std::string_view digits =
        text.substr(open + 1, text.size() - open - 2);
    int sibling = 0;
    const auto [end, error] =
        std::from_chars(digits.data(), digits.data() + digits.size(), sibling);
    if (!digits.empty() && digits.size() <= kMostDigits &&
        error == std::errc() && end == digits.data() + digits.size() &&
        digits.front() != '+' && sibling >= 1) {
      return {RecordTagName(text.substr(0, open)), sibling};
    }
  }
  return {RecordTagName(text), 0};
}

HeaderPath ReadHeader(const std::string& header) {
  std::string compact;
  for (char c : header) {
    if (c != ' ') compact += c;
  }
  HeaderPath path;
  std::string_view rest = compact;
  for (;;) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    if (slash == std::string_view::npos) {
      if (part.starts_with('@')) {
        path.is_attribute = true;
        path.attribute = RecordTagName(part.substr(1));
        // An attribute of that name would declare a namespace instead.
        if (path.attribute == "xmlns") path.attribute.insert(0, 1, '_');
      } else {
        path.elements.push_back(ReadStep(part));
      }
      return path;
    }
    path.elements.push_back(ReadStep(part));
    rest.remove_prefix(slash + 1);
  }
}

}  // namespace

class RecordShape::Builder {
 public:
  Builder(RecordShape& shape, std::int32_t first_column)
      : shape_(shape), first_column_(first_column) {}

  void Place(int column, const std::string& header) {
    headers_.push_back(header);
    const HeaderPath path = ReadHeader(header);
    if (static_cast<int>(path.elements.size()) > kMaxDepth) {
      throw RecordShapeError(Describe(column) + " nests " +
                             std::to_string(path.elements.size()) +
                             " elements deep; a record's elements nest at "
                             "most " +
                             std::to_string(kMaxDepth) + " deep");
    }
    // A place taken already moves the deepest step without a number on to
    // its next sibling, and the path is walked again.
    for (;;) {
      int element = 0;
      std::pair<int, int> repeatable;  // (parent element, declaration)
      bool can_repeat = false;
      for (const Step& step : path.elements) {
        const int declaration = ChildDeclaration(
            shape_.elements_[element].declaration, step.name, column);
        int& chosen = current_[{element, declaration}];
        if (step.sibling > 0) {
          chosen = step.sibling;
        } else {
          if (chosen == 0) chosen = 1;
          repeatable = {element, declaration};
          can_repeat = true;
        }
        element = Child(element, declaration, chosen);
      }
      if (Take(element, path, column)) return;
      if (!can_repeat) {
        throw RecordShapeError(
            Describe(taken_by_) + " and " + Describe(column) +
            " give the same place in a record, and the path has no element "
            "without a [number] to repeat");
      }
      ++current_[repeatable];
    }
  }

  // Puts each element's children and attributes in the order written.
  void Order() {
    std::vector<int> position(shape_.declarations_.size());
    for (const Declaration& declaration : shape_.declarations_) {
      for (std::size_t i = 0; i < declaration.children.size(); ++i) {
        position[declaration.children[i]] = static_cast<int>(i);
      }
    }
    std::vector<int> attribute_position(shape_.attribute_declarations_.size());
    for (const Declaration& declaration : shape_.declarations_) {
      for (std::size_t i = 0; i < declaration.attributes.size(); ++i) {
        attribute_position[declaration.attributes[i]] = static_cast<int>(i);
      }
    }
    std::vector<Element>& elements = shape_.elements_;
    for (Element& element : elements) {
      std::sort(element.children.begin(), element.children.end(),
                [&](int a, int b) {
                  return std::pair(position[elements[a].declaration],
                                   elements[a].sibling) <
                         std::pair(position[elements[b].declaration],
                                   elements[b].sibling);
                });
      std::sort(element.attributes.begin(), element.attributes.end(),
                [&](const AttributeSlot& a, const AttributeSlot& b) {
                  return attribute_position[a.declaration] <
                         attribute_position[b.declaration];
                });
    }
  }

 private:
  // "column C ("a/b")".
  std::string Describe(int column) const {
    return "column " + ColumnLetters(first_column_ + column) + " (\"" +
           headers_[column] + "\")";
  }

  [[noreturn]] void Mixed(int text_column, int child_column,
                          const std::string& name) const {
    const auto [first, second] = std::minmax(text_column, child_column);
    throw RecordShapeError(Describe(first) + " and " + Describe(second) +
                           " give the element " + name + " both " +
                           (first == text_column ? "text and child elements"
                                                 : "child elements and text") +
                           ", which no element of a record can hold");
  }

  int ChildDeclaration(int parent, const std::string& name, int column) {
    Declaration& owner = shape_.declarations_[parent];
    if (owner.has_text) Mixed(text_column_[parent], column, owner.name);
    if (child_column_[parent] < 0) child_column_[parent] = column;
    const auto [found, added] = declaration_index_.try_emplace(
        {parent, name}, static_cast<int>(shape_.declarations_.size()));
    if (added) {
      shape_.declarations_[parent].children.push_back(found->second);
      shape_.declarations_.push_back({name, parent, {}, {}, false});
      text_column_.push_back(-1);
      child_column_.push_back(-1);
    }
    return found->second;
  }

  int Child(int parent, int declaration, int sibling) {
    const auto [found, added] =
        element_index_.try_emplace({parent, declaration, sibling},
                                   static_cast<int>(shape_.elements_.size()));
    if (added) {
      shape_.elements_[parent].children.push_back(found->second);
      Element child;
      child.declaration = declaration;
      child.parent = parent;
      child.depth = shape_.elements_[parent].depth + 1;
      child.sibling = sibling;
      shape_.elements_.push_back(std::move(child));
    }
    return found->second;
  }

  // Gives the column its place in `element`; false, noting the column that
  // has it, when that place is taken.
  bool Take(int element, const HeaderPath& path, int column) {
    Element& target = shape_.elements_[element];
    const int declaration = target.declaration;
    if (!path.is_attribute) {
      if (target.text >= 0) {
        taken_by_ = target.text;
        return false;
      }
      if (child_column_[declaration] >= 0) {
        Mixed(column, child_column_[declaration],
              shape_.declarations_[declaration].name);
      }
      target.text = column;
      shape_.declarations_[declaration].has_text = true;
      if (text_column_[declaration] < 0) text_column_[declaration] = column;
      return true;
    }
    const auto [found, added] = attribute_index_.try_emplace(
        {declaration, path.attribute},
        static_cast<int>(shape_.attribute_declarations_.size()));
    if (added) {
      shape_.attribute_declarations_.push_back({path.attribute, declaration});
      shape_.declarations_[declaration].attributes.push_back(found->second);
    }
    for (const AttributeSlot& slot : target.attributes) {
      if (slot.declaration == found->second) {
        taken_by_ = slot.column;
        return false;
      }
    }
    target.attributes.push_back({found->second, column});
    return true;
  }

  RecordShape& shape_;
  std::int32_t first_column_;
  std::vector<std::string> headers_;
  // By declaration: the first column that gave it text, or a child.
  std::vector<int> text_column_ = {-1};
  std::vector<int> child_column_ = {-1};
  std::map<std::pair<int, std::string>, int> declaration_index_;
  std::map<std::pair<int, std::string>, int> attribute_index_;
  std::map<std::tuple<int, int, int>, int> element_index_;
  // The sibling number last chosen, by (parent element, declaration).
  std::map<std::pair<int, int>, int> current_;
  int taken_by_ = -1;
};

RecordShape::RecordShape(std::span<const CellValue> headers,
                         std::int32_t first_column,
                         std::string_view record_name)
    : column_count_(static_cast<int>(headers.size())) {
  declarations_.push_back({RecordTagName(record_name), -1, {}, {}, false});
  elements_.emplace_back();
  Builder builder(*this, first_column);
  for (std::size_t column = 0; column < headers.size(); ++column) {
    builder.Place(static_cast<int>(column), CellText(headers[column]));
  }
  builder.Order();
}

}  // namespace kestrilo

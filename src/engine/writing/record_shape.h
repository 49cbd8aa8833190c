// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/cell_value.h"

namespace kestrilo {

/// Headers that give a record no shape: one element both text and child
/// elements, two columns one place that cannot repeat, or nesting too deep.
/// The message names the columns and their headers.
class RecordShapeError : public std::runtime_error {
 public:
  explicit RecordShapeError(const std::string& message)
      : std::runtime_error(message) {}
};

/// Where each column of a block goes in the records layout's records, as the
/// block's header row gives it. Each header, its spaces removed, is a path:
///
///   name      a child element <name>text</name>
///   @name     an attribute of the record
///   a/b/c     nested elements; columns that share a prefix share the parent
///   a/@x      an attribute of a nested element
///   a[2]/b    the second a, for repeated groups
///
/// A header that repeats the path of an earlier column means the next
/// sibling: of the deepest element of the path without a [number]. Later
/// columns without a number go on in that sibling, so that repeated groups
/// of columns give repeated elements. Each name is made a valid XML name
/// ("2021 Sales" gives _2021Sales); "@" marks an attribute in the last step
/// only, and "[n]" (n from 1) a sibling number, anywhere else they are part
/// of the name.
///
/// Siblings of one name are written together, in the order of their
/// numbers, and share one Declaration: a schema declares them once, and
/// every element of a declaration lists its children in the same order.
class RecordShape {
 public:
  /// The most elements a path may nest below the record.
  static constexpr int kMaxDepth = 64;

  /// What the elements of one name at one place of the record have in
  /// common; declaration 0 is the record's.
  struct Declaration {
    std::string name;
    int parent = -1;
    /// Child declarations, in the order their first column came.
    std::vector<int> children;
    /// Attribute declarations, in the order their first column came.
    std::vector<int> attributes;
    /// Whether a column gives elements of it text.
    bool has_text = false;
  };

  struct AttributeDeclaration {
    std::string name;
    int element = 0;  ///< the declaration of the elements that carry it
  };

  /// One attribute of an element and the column (from 0, the block's first
  /// column) that gives its value.
  struct AttributeSlot {
    int declaration = 0;
    int column = 0;
  };

  /// One element of every record; element 0 is the record itself, and a
  /// parent always comes before its children.
  struct Element {
    int declaration = 0;
    int parent = -1;
    /// The elements it nests in below the record (0 for the record).
    int depth = 0;
    /// Its number among its siblings of the same name (from 1).
    int sibling = 1;
    /// Its child elements in the order written: by declaration, then by
    /// sibling number.
    std::vector<int> children;
    /// Its attributes, in the order of their declarations.
    std::vector<AttributeSlot> attributes;
    /// The column that gives its text; -1 when none does.
    int text = -1;
  };

  /// Reads the header cells of a block whose first column is `first_column`
  /// (for messages), one per column, an empty one for a column without a
  /// header. `record_name` names the record (made a valid name too). Throws
  /// RecordShapeError for headers that give no shape.
  RecordShape(std::span<const CellValue> headers, std::int32_t first_column,
              std::string_view record_name);

  const std::vector<Declaration>& declarations() const { return declarations_; }
  const std::vector<AttributeDeclaration>& attribute_declarations() const {
    return attribute_declarations_;
  }
  const std::vector<Element>& elements() const { return elements_; }
  int column_count() const { return column_count_; }

 private:
  class Builder;

  std::vector<Declaration> declarations_;
  std::vector<AttributeDeclaration> attribute_declarations_;
  std::vector<Element> elements_;
  int column_count_ = 0;
};

/// A tag name as the records layout makes it from a text: spaces removed,
/// markup and characters XML cannot hold replaced, and made a valid name.
std::string RecordTagName(std::string_view text);

}  // namespace kestrilo

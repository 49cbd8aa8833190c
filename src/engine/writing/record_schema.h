// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/writing/record_shape.h"
#include "engine/writing/schema_value.h"

namespace kestrilo {

/// The XML Schema of a records layout's text, learned from the records as
/// they are written and made once the last is: one local declaration for
/// each declaration of the shape, mirroring the tree. The record may occur
/// any number of times; an element occurs between the fewest and the most
/// times a written parent held it (a repeated group up to its largest
/// count); an attribute that any written element left out is optional;
/// each text and attribute has the narrowest type that holds all its
/// values, and one that also takes empty text where one was written empty.
class RecordSchema {
 public:
  /// `shape` must outlive the schema.
  explicit RecordSchema(const RecordShape& shape);

  /// An element of `declaration` was written.
  void CountElement(int declaration) { ++elements_[declaration].written; }
  /// A written element held `count` written children of `declaration`.
  void CountChildren(int declaration, std::int64_t count) {
    Element& element = elements_[declaration];
    if (count < element.fewest) element.fewest = count;
    if (count > element.most) element.most = count;
  }
  /// An element of `declaration` was written with a text of `type`
  /// (kNone: empty).
  void NoteText(int declaration, SchemaType type) {
    Note(elements_[declaration].text, type);
  }
  /// An attribute of `declaration` was written with a value of `type`.
  void NoteAttribute(int declaration, SchemaType type) {
    ++attributes_[declaration].written;
    Note(attributes_[declaration].value, type);
  }

  /// The schema's text, for a root element named `title` (a valid name):
  /// UTF-8, TAB indentation and CR LF line ends, as the XML.
  std::string Text(std::string_view title) const;

 private:
  struct Values {
    SchemaType type = SchemaType::kNone;
    bool empty = false;
  };
  struct Element {
    std::int64_t written = 0;
    std::int64_t fewest = std::numeric_limits<std::int64_t>::max();
    std::int64_t most = 0;
    Values text;
  };
  struct Attribute {
    std::int64_t written = 0;
    Values value;
  };
  class Maker;

  static void Note(Values& values, SchemaType type) {
    if (type == SchemaType::kNone) {
      values.empty = true;
    } else if (type != values.type) {  // nearly always the same
      values.type = WiderSchemaType(values.type, type);
    }
  }

  const RecordShape& shape_;
  std::vector<Element> elements_;
  std::vector<Attribute> attributes_;
};

}  // namespace kestrilo

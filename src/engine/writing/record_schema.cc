// SPDX-License-Identifier: MIT

#include "engine/writing/record_schema.h"

#include <algorithm>
#include <array>

namespace kestrilo {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A type that takes empty text besides its own values is a union with the
// empty string, declared once at the top under a name of this ending.
constexpr std::string_view kOrEmpty = "-or-empty";

}  // namespace

RecordSchema::RecordSchema(const RecordShape& shape)
    : shape_(shape),
      elements_(shape.declarations().size()),
      attributes_(shape.attribute_declarations().size()) {}

// Writes the declarations, noting the types that need empty text too.
class RecordSchema::Maker {
 public:
  explicit Maker(const RecordSchema& schema) : schema_(schema) {}

  std::string Make(std::string_view title) {
    Open(1, "xs:element name=\"" + std::string(title) + "\"");
    Open(2, "xs:complexType");
    Open(3, "xs:sequence");
    Declare(0, 4, " minOccurs=\"0\" maxOccurs=\"unbounded\"");
    Close(3, "xs:sequence");
    Close(2, "xs:complexType");
    Close(1, "xs:element");
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<xs:schema xmlns:xs=\"http://www.w3.org/2001/XMLSchema\">\r\n";
    for (std::size_t i = 0; i < emptiable_.size(); ++i) {
      if (emptiable_[i]) text += EmptiableType(static_cast<SchemaType>(i));
    }
    text += body_;
    text += "</xs:schema>\r\n";
    return text;
  }

 private:
  void Line(int depth, std::string_view text) {
    body_.append(static_cast<std::size_t>(depth), '\t');
    body_ += text;
    body_ += kLineEnd;
  }
  void Open(int depth, const std::string& tag) { Line(depth, "<" + tag + ">"); }
  void Close(int depth, std::string_view tag) {
    Line(depth, "</" + std::string(tag) + ">");
  }

  // The name of the type of `values`: a built-in type, or its union with
  // the empty string where a value was written empty.
  std::string TypeOf(const Values& values) {
    const std::string_view name = SchemaTypeName(values.type);
    if (!values.empty || name == SchemaTypeName(SchemaType::kString)) {
      return std::string(name);
    }
    emptiable_[static_cast<std::size_t>(values.type)] = true;
    return std::string(name.substr(3)) + std::string(kOrEmpty);
  }

  static std::string EmptiableType(SchemaType type) {
    const std::string_view name = SchemaTypeName(type);
    std::string text;
    const auto line = [&text](int depth, std::string_view piece) {
      text.append(static_cast<std::size_t>(depth), '\t');
      text += piece;
      text += kLineEnd;
    };
    line(1, "<xs:simpleType name=\"" + std::string(name.substr(3)) +
                std::string(kOrEmpty) + "\">");
    line(2, "<xs:union memberTypes=\"" + std::string(name) + "\">");
    line(3, "<xs:simpleType>");
    line(4, "<xs:restriction base=\"xs:string\">");
    line(5, "<xs:length value=\"0\"/>");
    line(4, "</xs:restriction>");
    line(3, "</xs:simpleType>");
    line(2, "</xs:union>");
    line(1, "</xs:simpleType>");
    return text;
  }

  // " minOccurs=... maxOccurs=..." of a declaration below the record.
  std::string Occurs(int declaration) const {
    const Element& element = schema_.elements_[declaration];
    const std::int64_t fewest =
        element.fewest == std::numeric_limits<std::int64_t>::max()
            ? 0
            : element.fewest;
    const std::int64_t most = std::max<std::int64_t>(element.most, 1);
    std::string occurs;
    if (fewest != 1) occurs += " minOccurs=\"" + std::to_string(fewest) + "\"";
    if (most != 1) occurs += " maxOccurs=\"" + std::to_string(most) + "\"";
    return occurs;
  }

  void Attributes(int declaration, int depth) {
    const RecordShape& shape = schema_.shape_;
    const std::int64_t written = schema_.elements_[declaration].written;
    for (int index : shape.declarations()[declaration].attributes) {
      const Attribute& attribute = schema_.attributes_[index];
      const bool required = written > 0 && attribute.written == written;
      Line(depth, "<xs:attribute name=\"" +
                      shape.attribute_declarations()[index].name +
                      "\" type=\"" + TypeOf(attribute.value) + "\"" +
                      (required ? " use=\"required\"" : "") + "/>");
    }
  }

  void Declare(int declaration, int depth, const std::string& occurs) {
    const Declaration& shaped = schema_.shape_.declarations()[declaration];
    const std::string start =
        "xs:element name=\"" + shaped.name + "\"" + occurs;
    const bool attributes = !shaped.attributes.empty();
    if (shaped.has_text && !attributes) {
      Line(depth, "<" + start + " type=\"" +
                      TypeOf(schema_.elements_[declaration].text) + "\"/>");
      return;
    }
    Open(depth, start);
    Open(depth + 1, "xs:complexType");
    if (shaped.has_text) {
      Open(depth + 2, "xs:simpleContent");
      Open(depth + 3, "xs:extension base=\"" +
                          TypeOf(schema_.elements_[declaration].text) + "\"");
      Attributes(declaration, depth + 4);
      Close(depth + 3, "xs:extension");
      Close(depth + 2, "xs:simpleContent");
    } else {
      if (!shaped.children.empty()) {
        Open(depth + 2, "xs:sequence");
        for (int child : shaped.children) {
          Declare(child, depth + 3, Occurs(child));
        }
        Close(depth + 2, "xs:sequence");
      }
      Attributes(declaration, depth + 2);
    }
    Close(depth + 1, "xs:complexType");
    Close(depth, "xs:element");
  }

  using Declaration = RecordShape::Declaration;

  const RecordSchema& schema_;
  std::string body_;
  std::array<bool, static_cast<std::size_t>(SchemaType::kString) + 1>
      emptiable_{};
};

std::string RecordSchema::Text(std::string_view title) const {
  return Maker(*this).Make(title);
}

}  // namespace kestrilo

// SPDX-License-Identifier: MIT

#include "engine/writing/records_writer.h"

#include <algorithm>
#include <stdexcept>

#include "engine/writing/cell_text.h"
#include "engine/writing/record_schema.h"
#include "engine/writing/record_shape.h"
#include "engine/writing/short_copy.h"
#include "engine/writing/xml_builder.h"

namespace kestrilo {

namespace {

// The text goes to the sink in pieces of about this size, as the other
// layouts' does.
constexpr std::size_t kChunkSize = std::size_t{256} << 10;
// The most bytes an attribute's escaping writes for one byte ("&quot;").
constexpr std::size_t kMaxAttributeGrowth = 6;

constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// A file name as the relative URI a schema location is: every byte but
// letters, digits and - . _ ~ written as %XX.
std::string UriOfFileName(std::string_view name) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
        c == '~') {
      uri += c;
    } else {
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xF];
    }
  }
  return uri;
}

// Escapes `text` for an attribute value in double quotes at `out`, which
// has room for kMaxAttributeGrowth bytes a byte: besides what WriteEscaped
// writes as entities, the quote, and TAB, LF and CR as character
// references, which a parser would otherwise read as spaces.
char* WriteAttributeEscaped(std::string_view text, char* out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view reference;
    switch (text[i]) {
      case '"':
        reference = "&quot;";
        break;
      case '\t':
        reference = "&#9;";
        break;
      case '\n':
        reference = "&#10;";
        break;
      case '\r':
        reference = "&#13;";
        break;
      default:
        continue;
    }
    out = WriteEscaped(text.substr(start, i - start), out);
    out = CopyShort(reference, out);
    start = i + 1;
  }
  return WriteEscaped(text.substr(start), out);
}

// Empty cells, error values (which give empty text) and empty texts.
bool IsEmpty(const CellValue& value) {
  return value.kind == CellKind::kEmpty || value.kind == CellKind::kError ||
         (value.kind == CellKind::kText && value.text.empty());
}

}  // namespace

RecordsWriter::RecordsWriter(const BlockGeometry& block,
                             std::string_view address,
                             const ExportOptions& options, XmlSink& sink,
                             StatusCallback status)
    : block_(block),
      options_(options),
      sink_(sink),
      status_(std::move(status)),
      next_row_(block.first_row) {
  if (!options.records) {
    throw std::invalid_argument("the options choose no records layout");
  }
  RequireInsideWorksheet(block, address);
  title_ = RecordTagName(options.title);
}

RecordsWriter::~RecordsWriter() = default;

void RecordsWriter::AddRow(std::int32_t row, std::span<const Cell> cells) {
  if (row < next_row_ && row >= block_.first_row) {
    throw std::invalid_argument("rows must be fed in ascending order");
  }
  if (row < block_.first_row || row > block_.last_row()) return;
  while (next_row_ < row) WriteRow(next_row_++, {});
  WriteRow(row, cells);
  next_row_ = row + 1;
}

void RecordsWriter::Finish() { FinishAt(block_.last_row()); }

void RecordsWriter::FinishAt(std::int32_t last_row) {
  while (next_row_ <= last_row) WriteRow(next_row_++, {});
  if (!shape_) Start({});
  Put("</");
  Put(title_);
  Put(">\r\n");
  PassOn();
}

std::string RecordsWriter::Schema() const {
  return schema_ ? schema_->Text(title_) : std::string();
}

void RecordsWriter::WriteRow(std::int32_t row, std::span<const Cell> cells) {
  if (row == block_.first_row) {
    Start(cells);
    return;
  }
  TellStep(status_, row);
  ++row_mark_;
  ReadValues(cells);
  if (filled_[0] || options_.keep_empty) WriteElement(0);
  if (used_ >= kChunkSize) PassOn();
}

void RecordsWriter::Start(std::span<const Cell> headers) {
  std::vector<CellValue> header_values(block_.column_count);
  for (const Cell& cell : headers) {
    const std::int32_t column = cell.column - block_.first_column;
    if (column >= 0 && column < block_.column_count) {
      header_values[column] = cell.value;
    }
  }
  shape_ = std::make_unique<RecordShape>(header_values, block_.first_column,
                                         options_.record_tag);
  if (options_.schema) schema_ = std::make_unique<RecordSchema>(*shape_);
  const auto& declarations = shape_->declarations();
  owners_.resize(block_.column_count);
  const auto& elements = shape_->elements();
  for (std::size_t index = 0; index < elements.size(); ++index) {
    const RecordShape::Element& element = elements[index];
    const std::string& name = declarations[element.declaration].name;
    const std::string indent(static_cast<std::size_t>(element.depth) + 1, '\t');
    openings_.push_back(indent + "<" + name);
    closings_.push_back("</" + name + ">\r\n");
    block_closings_.push_back(indent + closings_.back());
    leaf_openings_.push_back(openings_.back() + ">");
    if (element.text >= 0) owners_[element.text] = static_cast<int>(index);
    for (const RecordShape::AttributeSlot& slot : element.attributes) {
      owners_[slot.column] = static_cast<int>(index);
    }
  }
  // Views of the texts made above, now that no vector of them grows.
  leaves_.resize(elements.size());
  for (std::size_t index = 0; index < elements.size(); ++index) {
    const RecordShape::Element& element = elements[index];
    if (element.text < 0 || !element.attributes.empty() ||
        !element.children.empty()) {
      continue;
    }
    leaves_[index] = {leaf_openings_[index], closings_[index], element.text,
                      element.declaration};
  }
  for (const auto& attribute : shape_->attribute_declarations()) {
    attribute_openings_.push_back(" " + attribute.name + "=\"");
  }
  values_.resize(block_.column_count);
  marks_.resize(block_.column_count);
  counts_.resize(declarations.size());
  filled_.resize(shape_->elements().size());
  buffer_.resize(kChunkSize + kPieceRoom);
  Put(kDeclaration);
  Put("<");
  Put(title_);
  if (options_.schema && !options_.schema_name.empty()) {
    Put(" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:noNamespaceSchemaLocation=\"");
    Put(UriOfFileName(options_.schema_name));
    Put("\"");
  }
  Put(">\r\n");
}

// Notes each cell's value in its column, and that the element it belongs to
// holds a value, and so every element that one nests in.
void RecordsWriter::ReadValues(std::span<const Cell> cells) {
  const auto& elements = shape_->elements();
  for (const Cell& cell : cells) {
    const std::int32_t column = cell.column - block_.first_column;
    if (column < 0) continue;
    if (column >= block_.column_count) break;
    values_[column] = cell.value;
    marks_[column] = row_mark_;
    if (IsEmpty(cell.value)) continue;
    for (int element = owners_[column]; element >= 0 && !filled_[element];
         element = elements[element].parent) {
      filled_[element] = 1;
    }
  }
}

void RecordsWriter::WriteElement(int index) {
  const RecordShape::Element& element = shape_->elements()[index];
  filled_[index] = 0;  // ready for the next row
  if (schema_) schema_->CountElement(element.declaration);
  if (leaves_[index].column >= 0 && WriteLeaf(leaves_[index])) return;
  WriteFrame(index);
}

// An element with attributes, children, or an empty or long text.
void RecordsWriter::WriteFrame(int index) {
  const RecordShape::Element& element = shape_->elements()[index];
  Put(openings_[index]);
  for (const RecordShape::AttributeSlot& slot : element.attributes) {
    const CellValue& value = ValueAt(slot.column);
    if (IsEmpty(value) && !options_.keep_empty) continue;
    Put(attribute_openings_[slot.declaration]);
    const SchemaType type = WriteValue(value, true);
    Put("\"");
    if (schema_) schema_->NoteAttribute(slot.declaration, type);
  }
  if (!element.children.empty()) {
    WriteChildren(index);
    return;
  }
  // Other elements of its declaration may have children that this one has
  // no place for: it holds none of them, which their minimum must allow.
  if (schema_) {
    for (const int declaration :
         shape_->declarations()[element.declaration].children) {
      schema_->CountChildren(declaration, 0);
    }
  }
  const bool has_text = shape_->declarations()[element.declaration].has_text;
  const CellValue* text = element.text >= 0 ? &ValueAt(element.text) : nullptr;
  if (text == nullptr || IsEmpty(*text)) {
    Put("/>\r\n");
    if (schema_ && has_text) {
      schema_->NoteText(element.declaration, SchemaType::kNone);
    }
    return;
  }
  Put(">");
  const SchemaType type = WriteValue(*text, false);
  Put(closings_[index]);
  if (schema_) schema_->NoteText(element.declaration, type);
}

// A text element without attributes, the most common of all, in one piece
// when it has a value and fits the room for one; false, writing nothing,
// otherwise.
bool RecordsWriter::WriteLeaf(const Leaf& leaf) {
  const CellValue& value = ValueAt(leaf.column);
  const std::string_view opening = leaf.opening;
  const std::string_view closing = leaf.closing;
  const bool text = value.kind == CellKind::kText;
  const std::size_t most =
      opening.size() + closing.size() +
      (text ? kMaxEscapedGrowth * value.text.size() : kMaxSchemaValueSize);
  if (IsEmpty(value) || most > kPieceRoom) return false;
  char* out = CopyShort(opening, Room(most));
  SchemaType type = SchemaType::kString;
  out =
      text ? WriteEscaped(value.text, out) : WriteSchemaValue(value, out, type);
  Took(CopyShort(closing, out));
  if (schema_) schema_->NoteText(leaf.declaration, type);
  return true;
}

// The children of a written element, each declaration's siblings together,
// counting for the schema how many of each it held.
void RecordsWriter::WriteChildren(int index) {
  const RecordShape::Element& element = shape_->elements()[index];
  const bool keep = options_.keep_empty;
  bool opened = false;
  for (const int child : element.children) {
    if (!keep && !filled_[child]) continue;
    if (!opened) Put(">\r\n");
    opened = true;
    // WriteElement, with its commonest case unfolded: a cell a line.
    filled_[child] = 0;
    if (schema_) {
      const int declaration = shape_->elements()[child].declaration;
      ++counts_[declaration];
      schema_->CountElement(declaration);
    }
    const Leaf& leaf = leaves_[child];
    if (leaf.column < 0 || !WriteLeaf(leaf)) WriteFrame(child);
  }
  Put(opened ? std::string_view(block_closings_[index])
             : std::string_view("/>\r\n"));
  if (!schema_) return;
  for (const int declaration :
       shape_->declarations()[element.declaration].children) {
    schema_->CountChildren(declaration, counts_[declaration]);
    counts_[declaration] = 0;
  }
}

// Writes a value of a text or attribute, a long text a part at a time so
// that the text kept stays near the chunk whatever the size of one cell;
// returns its type.
SchemaType RecordsWriter::WriteValue(const CellValue& value, bool attribute) {
  if (value.kind != CellKind::kText) {
    SchemaType type;
    Took(WriteSchemaValue(value, Room(kMaxSchemaValueSize), type));
    return type;
  }
  const std::size_t growth =
      attribute ? kMaxAttributeGrowth : kMaxEscapedGrowth;
  const std::size_t part_size = kPieceRoom / growth;
  for (std::string_view rest = value.text; !rest.empty();) {
    const std::size_t part = EscapablePart(rest, part_size);
    char* out = Room(growth * part);
    Took(attribute ? WriteAttributeEscaped(rest.substr(0, part), out)
                   : WriteEscaped(rest.substr(0, part), out));
    rest.remove_prefix(part);
  }
  return value.text.empty() ? SchemaType::kNone : SchemaType::kString;
}

void RecordsWriter::PutLong(std::string_view text) {
  while (!text.empty()) {
    const std::size_t part = std::min(text.size(), kPieceRoom);
    Took(CopyShort(text.substr(0, part), Room(part)));
    text.remove_prefix(part);
  }
}

char* RecordsWriter::Room(std::size_t bytes) {
  if (buffer_.size() - used_ < bytes) PassOn();
  return buffer_.data() + used_;
}

void RecordsWriter::PassOn() {
  if (used_ == 0) return;
  const std::size_t used = used_;
  used_ = 0;
  sink_.Write(std::string_view(buffer_.data(), used));
}

}  // namespace kestrilo

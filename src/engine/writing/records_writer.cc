#include "engine/writing/records_writer.h"

#include <stdexcept>

#include "engine/writing/cell_text.h"
#include "engine/writing/record_schema.h"
#include "engine/writing/record_shape.h"
#include "engine/writing/xml_builder.h"

namespace kestrilo {

namespace {

// The text goes to the sink in pieces of about this size, as the other
// layouts' does.
constexpr std::size_t kChunkSize = std::size_t{256} << 10;
// A long text is escaped this many bytes at a time, so that the text kept
// stays near the chunk whatever the size of one cell.
constexpr std::size_t kTextPart = std::size_t{64} << 10;

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

// Escapes `text` for an attribute value in double quotes: besides what
// AppendEscaped writes as entities, the quote, and TAB, LF and CR as
// character references, which a parser would otherwise read as spaces.
void AppendAttributeEscaped(std::string_view text, std::string& out) {
  for (;;) {
    const std::size_t special = text.find_first_of("\"\t\n\r");
    AppendEscaped(text.substr(0, special), out);
    if (special == std::string_view::npos) return;
    switch (text[special]) {
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      default:
        out += "&#13;";
    }
    text.remove_prefix(special + 1);
  }
}

bool IsEmpty(SchemaType type, std::string_view text) {
  return type == SchemaType::kNone ||
         (type == SchemaType::kString && text.empty());
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
  out_ += "</";
  out_ += title_;
  out_ += ">\r\n";
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
  ReadValues(cells);
  MarkFilled();
  if (filled_[0] || options_.keep_empty) WriteElement(0);
  for (const std::int32_t column : set_columns_) values_[column] = Value();
  set_columns_.clear();
  if (out_.size() >= kChunkSize) PassOn();
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
  for (const RecordShape::Element& element : shape_->elements()) {
    const std::string& name = declarations[element.declaration].name;
    const std::string indent(static_cast<std::size_t>(element.depth) + 1, '\t');
    openings_.push_back(indent + "<" + name);
    closings_.push_back("</" + name + ">\r\n");
    block_closings_.push_back(indent + closings_.back());
  }
  for (const auto& attribute : shape_->attribute_declarations()) {
    attribute_openings_.push_back(" " + attribute.name + "=\"");
  }
  values_.resize(block_.column_count);
  forms_.resize(static_cast<std::size_t>(block_.column_count) *
                kMaxSchemaValueSize);
  filled_.resize(shape_->elements().size());
  out_ += kDeclaration;
  out_ += '<';
  out_ += title_;
  if (options_.schema && !options_.schema_name.empty()) {
    out_ +=
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:noNamespaceSchemaLocation=\"";
    out_ += UriOfFileName(options_.schema_name);
    out_ += '"';
  }
  out_ += ">\r\n";
}

void RecordsWriter::ReadValues(std::span<const Cell> cells) {
  for (const Cell& cell : cells) {
    const std::int32_t column = cell.column - block_.first_column;
    if (column < 0) continue;
    if (column >= block_.column_count) break;
    Value& value = values_[column];
    char* form = forms_.data() + column * kMaxSchemaValueSize;
    const char* end = WriteSchemaValue(cell.value, form, value.type);
    value.escaped = cell.value.kind == CellKind::kText;
    value.text =
        value.escaped ? cell.value.text : std::string_view(form, end - form);
    set_columns_.push_back(column);
  }
}

// Children come after their parents, so one backward pass carries each
// element's values up to every element it nests in.
void RecordsWriter::MarkFilled() {
  const auto& elements = shape_->elements();
  for (std::size_t index = elements.size(); index-- > 0;) {
    const RecordShape::Element& element = elements[index];
    char& filled = filled_[index];
    if (!filled && element.text >= 0) {
      const Value& value = values_[element.text];
      filled = !IsEmpty(value.type, value.text);
    }
    for (const RecordShape::AttributeSlot& slot : element.attributes) {
      if (filled) break;
      const Value& value = values_[slot.column];
      filled = !IsEmpty(value.type, value.text);
    }
    if (filled && element.parent >= 0) filled_[element.parent] = 1;
  }
}

void RecordsWriter::WriteElement(int index) {
  const RecordShape::Element& element = shape_->elements()[index];
  filled_[index] = 0;  // ready for the next row
  if (schema_) schema_->CountElement(element.declaration);
  out_ += openings_[index];
  for (const RecordShape::AttributeSlot& slot : element.attributes) {
    const Value& value = values_[slot.column];
    if (IsEmpty(value.type, value.text) && !options_.keep_empty) continue;
    out_ += attribute_openings_[slot.declaration];
    WriteValue(value, true);
    out_ += '"';
    if (schema_) schema_->NoteAttribute(slot.declaration, value.type);
  }
  if (!element.children.empty()) {
    WriteChildren(index);
    return;
  }
  const bool has_text = shape_->declarations()[element.declaration].has_text;
  const Value* text = element.text >= 0 ? &values_[element.text] : nullptr;
  if (text == nullptr || IsEmpty(text->type, text->text)) {
    out_ += "/>\r\n";
    if (schema_ && has_text) {
      schema_->NoteText(element.declaration, SchemaType::kNone);
    }
    return;
  }
  out_ += '>';
  WriteValue(*text, false);
  out_ += closings_[index];
  if (schema_) schema_->NoteText(element.declaration, text->type);
}

// The children of a written element, each declaration's siblings together,
// counting for the schema how many of each it held.
void RecordsWriter::WriteChildren(int index) {
  const auto& elements = shape_->elements();
  const RecordShape::Element& element = elements[index];
  const bool keep = options_.keep_empty;
  bool opened = false;
  std::size_t next = 0;
  for (const int declaration :
       shape_->declarations()[element.declaration].children) {
    std::int64_t count = 0;
    for (; next < element.children.size() &&
           elements[element.children[next]].declaration == declaration;
         ++next) {
      const int child = element.children[next];
      if (!keep && !filled_[child]) continue;
      if (!opened) out_ += ">\r\n";
      opened = true;
      WriteElement(child);
      ++count;
    }
    if (schema_) schema_->CountChildren(declaration, count);
  }
  out_ += opened ? std::string_view(block_closings_[index])
                 : std::string_view("/>\r\n");
}

void RecordsWriter::WriteValue(const Value& value, bool attribute) {
  if (!value.escaped) {
    out_ += value.text;
    return;
  }
  std::string_view rest = value.text;
  while (!rest.empty()) {
    const std::size_t part = EscapablePart(rest, kTextPart);
    if (attribute) {
      AppendAttributeEscaped(rest.substr(0, part), out_);
    } else {
      AppendEscaped(rest.substr(0, part), out_);
    }
    rest.remove_prefix(part);
    if (out_.size() >= kChunkSize) PassOn();
  }
}

void RecordsWriter::PassOn() {
  if (out_.empty()) return;
  sink_.Write(out_);
  out_.clear();
}

}  // namespace kestrilo

// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/reading/xml/xml_error.h"

namespace kestrilo {

/// A pull tokenizer for the regular, machine-written XML of spreadsheet
/// packages. It works in place on a buffer the caller keeps alive: names,
/// attribute values and texts are views into that buffer, and only values
/// holding a reference ('&') or a carriage return are decoded, into scratch
/// space reused from token to token.
///
/// It is deliberately small and safe: no DTD (a DOCTYPE is an error), no
/// entities beyond the five predefined ones and character references, and
/// every malformation (bad syntax, unbalanced tags, truncation) throws
/// XmlError with the byte offset. Comments, processing instructions and the
/// XML declaration are skipped. Namespaces are not resolved: writers pick
/// different prefixes for the same namespace (`x:c`, `c`), so callers match
/// local names.
class XmlTokenizer {
 public:
  enum class Token : std::uint8_t {
    kStartTag,  ///< also for `<a/>`, which is followed by its kEndTag
    kEndTag,
    kText,  ///< character data or a CDATA section (may come in pieces)
    kEnd,   ///< the document is complete
  };

  struct Attribute {
    std::string_view name;   ///< qualified name, e.g. "r:id"
    std::string_view value;  ///< decoded value
  };

  /// Called when a token runs past the `have` bytes received so far:
  /// blocks until more bytes are in the buffer and returns their new count,
  /// or returns `have` when the document is complete.
  using MoreData = std::function<std::size_t(std::size_t have)>;

  /// `document` must stay alive while the tokenizer is used. It should be
  /// UTF-8; see ConvertToUtf8().
  explicit XmlTokenizer(std::string_view document);
  /// A document still arriving in a buffer that never moves (an entry being
  /// inflated on another thread): `size` bytes are there now, `more` waits
  /// for the rest.
  XmlTokenizer(const char* data, std::size_t size, MoreData more);

  /// Advances to the next token. Throws XmlError for malformed XML.
  Token Next();

  /// An element read whole by ReadFlatElement().
  struct FlatElement {
    /// The qualified name of its one child element; empty for none.
    std::string_view child;
    /// The text of that child.
    std::string_view text;
  };

  /// A shortcut for the commonest shape of spreadsheet data, such as
  /// `<c r="A1" s="2"><v>42</v></c>` or `<c r="B1"/>`: when the next markup
  /// is an element with local name `local`, plain attribute values, and at
  /// most one child without attributes holding only plain text (no
  /// references, no carriage returns, no spaces between the tags), it is
  /// consumed whole: attributes() and name() describe it and `element` its
  /// child. Otherwise nothing is consumed and Next() reads it as usual
  /// (attributes() then holds nothing useful until the next start tag).
  bool ReadFlatElement(std::string_view local, FlatElement& element) {
    // Called for every cell: the usual case is decided without a call.
    if (pending_end_ || open_.empty() || end_ - p_ < 3 || p_[0] != '<' ||
        p_[1] == '/') {
      return false;
    }
    return ReadFlatElementInWindow(local, element) ||
           ReadFlatElementAnyLength(local, element);
  }

  /// The qualified name of the current start or end tag.
  std::string_view name() const { return name_; }
  /// The name without its namespace prefix.
  std::string_view local_name() const { return LocalName(name_); }
  /// True for a start tag written as `<a/>`.
  bool self_closing() const { return self_closing_; }
  /// Elements open around the current token (the current start tag
  /// included, the current end tag not).
  std::size_t depth() const { return open_.size(); }
  /// Attributes of the current start tag.
  const std::vector<Attribute>& attributes() const { return attributes_; }
  /// The value of the current start tag's attribute whose local name is
  /// `local` (which holds no ':'), or nothing.
  const std::string_view* FindAttribute(std::string_view local) const;
  /// Like FindAttribute, with an empty view for an absent attribute.
  std::string_view AttributeOr(std::string_view local,
                               std::string_view fallback = {}) const;
  /// The decoded text of a kText token.
  std::string_view text() const { return text_; }
  /// Byte offset of the current token in the document.
  std::size_t offset() const { return token_start_; }

  /// Copies the names of the elements open now into the tokenizer's own
  /// storage, so that the bytes they were read from may be dropped while
  /// the elements stay open (the root of a document streamed in part).
  void KeepOpenNames();
  /// The offset of the first byte the tokenizer still needs: the names of
  /// open elements not kept, and what follows the current token. The
  /// bytes before it may be dropped from the buffer; views of the current
  /// token then become invalid.
  std::size_t NeededFrom() const;

  static std::string_view LocalName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
  }
  /// Whether the qualified `name` has the local name `local` (which holds
  /// no ':'), with any prefix or none. Cheaper than LocalName(name) ==
  /// local: it runs for every tag and attribute of every cell.
  static bool HasLocalName(std::string_view name, std::string_view local) {
    return name.ends_with(local) &&
           (name.size() == local.size() ||
            name[name.size() - local.size() - 1] == ':');
  }

  /// Rewrites a document in UTF-16 (with a byte order mark, or recognised
  /// from its first character '<') as UTF-8, and drops a UTF-8 byte order
  /// mark. Throws XmlError for invalid UTF-16.
  static void ConvertToUtf8(std::string& document);

 private:
  struct Starved;
  [[noreturn]] void Fail(const char* at, const std::string& reason) const;
  /// Fails for a token cut off by the end of the bytes; while more may
  /// come, asks Next() to wait and retry instead.
  [[noreturn]] void FailAtEnd(const char* at, const std::string& reason) const;
  Token ReadToken();
  Token ReadMarkup();
  Token ReadStartTag();
  Token ReadEndTag();
  void ReadAttributes();
  /// Plain attributes up to the end of a start tag, for ReadFlatElement;
  /// nothing (false) for anything unusual or cut off.
  bool ReadPlainAttributes(const char*& q, bool& empty_element);
  /// ReadFlatElement for an element that lies whole in the next bytes (a
  /// ByteWindow), its values in double quotes and its texts ASCII: names,
  /// values and texts are found by the bytes' marks.
  /// Nothing (false) for anything else, which the general way then reads.
  bool ReadFlatElementInWindow(std::string_view local, FlatElement& element);
  /// ReadFlatElement for any other element.
  bool ReadFlatElementAnyLength(std::string_view local, FlatElement& element);
  /// At "<child>text</child>": reads it for ReadFlatElement.
  bool ReadFlatChild(const char*& q, FlatElement& element) const;
  /// Steps `q` over "</name>" if that is what it points at.
  bool SkipEndTag(const char*& q, std::string_view name) const;
  void SkipPast(std::string_view terminator, const char* what);
  /// Decodes references (and CR LF line ends) of `raw` into `out`.
  void Decode(std::string_view raw, std::string& out, bool attribute) const;

  const char* begin_;
  const char* p_;
  const char* end_;
  std::size_t token_start_ = 0;
  std::string_view name_;
  std::string_view text_;
  bool self_closing_ = false;
  bool pending_end_ = false;
  bool root_seen_ = false;
  bool complete_ = true;
  MoreData more_;
  std::vector<std::string_view> open_;
  // Names of open elements copied by KeepOpenNames(); a deque, so that
  // they never move.
  std::deque<std::string> kept_names_;
  std::vector<Attribute> attributes_;
  std::vector<std::size_t> attribute_decodes_;
  std::string attribute_scratch_;
  std::string text_scratch_;
};

}  // namespace kestrilo

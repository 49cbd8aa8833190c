// SPDX-License-Identifier: MIT

#include "engine/reading/xml/xml_tokenizer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrilo {
namespace {

using Token = XmlTokenizer::Token;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The tokens of a document as lines: "<name a=v>", "</name>", "'text'".
std::vector<std::string> Trace(XmlTokenizer& xml) {
  std::vector<std::string> trace;
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token == Token::kStartTag) {
      std::string line = "<";
      line += xml.name();
      for (const auto& attribute : xml.attributes()) {
        line.append(" ").append(attribute.name).append("=");
        line.append(attribute.value);
      }
      trace.push_back(line + ">");
    } else if (token == Token::kEndTag) {
      std::string line = "</";
      line += xml.name();
      trace.push_back(line + ">");
    } else if (!trace.empty() && trace.back().front() == '\'') {
      // Text may come in pieces; join them as a reader would.
      trace.back().insert(trace.back().size() - 1, xml.text());
    } else {
      std::string line = "'";
      line += xml.text();
      trace.push_back(line + "'");
    }
  }
  return trace;
}

std::vector<std::string> Trace(const std::string& document) {
  XmlTokenizer xml(document);
  return Trace(xml);
}

std::string ErrorOf(const std::string& document) {
  try {
    Trace(document);
  } catch (const XmlError& error) {
    return error.what();
  }
  return "no error";
}

TEST(XmlTokenizerTest, ReportsTagsAttributesAndText) {
  EXPECT_THAT(Trace("<?xml version=\"1.0\"?>\n<!-- c --><a x=\"1\" y='two'>"
                    "hi<b/><?pi x?><c>t</c></a>\n"),
              ElementsAre("<a x=1 y=two>", "'hi'", "<b>", "</b>", "<c>", "'t'",
                          "</c>", "</a>"));
}

TEST(XmlTokenizerTest, EmptyElementIsMarkedSelfClosing) {
  XmlTokenizer xml("<a><b/><c></c></a>");
  ASSERT_EQ(xml.Next(), Token::kStartTag);
  EXPECT_FALSE(xml.self_closing());
  ASSERT_EQ(xml.Next(), Token::kStartTag);
  EXPECT_TRUE(xml.self_closing());
  EXPECT_EQ(xml.depth(), 2u);
  ASSERT_EQ(xml.Next(), Token::kEndTag);
  EXPECT_EQ(xml.name(), "b");
  EXPECT_EQ(xml.depth(), 1u);
  ASSERT_EQ(xml.Next(), Token::kStartTag);
  EXPECT_FALSE(xml.self_closing());
}

TEST(XmlTokenizerTest, MatchesAttributesAndNamesByLocalName) {
  XmlTokenizer xml("<x:c r=\"A1\" r:id=\"rId7\" xmlns:x=\"u\"/>");
  ASSERT_EQ(xml.Next(), Token::kStartTag);
  EXPECT_EQ(xml.name(), "x:c");
  EXPECT_EQ(xml.local_name(), "c");
  EXPECT_EQ(xml.AttributeOr("id"), "rId7");
  EXPECT_EQ(xml.AttributeOr("missing", "fallback"), "fallback");
  EXPECT_EQ(xml.FindAttribute("missing"), nullptr);
}

TEST(XmlTokenizerTest, DecodesReferencesInTextAndAttributes) {
  EXPECT_THAT(Trace("<a v=\"&lt;&amp;&quot;&#65;&#x3B1;\">&gt;&apos;&#x1F600;"
                    "&#8364;</a>"),
              ElementsAre("<a v=<&\"Aα>", "'>'😀€'", "</a>"));
}

TEST(XmlTokenizerTest, NormalisesLineEnds) {
  EXPECT_THAT(Trace("<a v=\"x\ty\r\nz\">1\r\n2\r3</a>"),
              ElementsAre("<a v=x y z>", "'1\n2\n3'", "</a>"));
}

TEST(XmlTokenizerTest, CdataIsTextWithoutDecoding) {
  EXPECT_THAT(Trace("<a>x<![CDATA[<b>&amp;]]>y</a>"),
              ElementsAre("<a>", "'x<b>&amp;y'", "</a>"));
}

TEST(XmlTokenizerTest, RefusesDtdAndUnknownEntities) {
  EXPECT_THAT(ErrorOf("<!DOCTYPE a [<!ENTITY e \"boom\">]><a>&e;</a>"),
              HasSubstr("DTD"));
  EXPECT_THAT(ErrorOf("<a>&e;</a>"), HasSubstr("&e;"));
  EXPECT_THAT(ErrorOf("<a>&#0;</a>"), HasSubstr("reference"));
  EXPECT_THAT(ErrorOf("<a>&#xD800;</a>"), HasSubstr("reference"));
  EXPECT_THAT(ErrorOf("<a>a & b</a>"), HasSubstr("'&'"));
}

TEST(XmlTokenizerTest, MalformedDocumentsGiveTheByteOffset) {
  EXPECT_EQ(ErrorOf("<a><b></a>"), "</a> does not match <b> at byte 6");
  EXPECT_THAT(ErrorOf("<a><b>"), HasSubstr("ends inside <b>"));
  EXPECT_THAT(ErrorOf("<a x=1/>"), HasSubstr("without quotes"));
  EXPECT_THAT(ErrorOf("<a x=\"1/>"), HasSubstr("unterminated"));
  EXPECT_THAT(ErrorOf("<a x/>"), HasSubstr("without a value"));
  EXPECT_THAT(ErrorOf("<a>"), HasSubstr("ends inside <a>"));
  EXPECT_THAT(ErrorOf("<a></a><b/>"), HasSubstr("second root"));
  EXPECT_THAT(ErrorOf("text<a/>"), HasSubstr("outside the root"));
  EXPECT_THAT(ErrorOf(""), HasSubstr("no element"));
  EXPECT_THAT(ErrorOf("<a><!-- open</a>"), HasSubstr("unterminated comment"));
  EXPECT_THAT(ErrorOf("<a><"), HasSubstr("ends inside a tag"));
  EXPECT_THAT(ErrorOf("<a v=\"<\"/>"), HasSubstr("'<'"));
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  EXPECT_THAT(ErrorOf(deep), HasSubstr("nested too deeply"));
}

TEST(XmlTokenizerTest, ConvertsUtf16ToUtf8) {
  const std::string text = "<a>é😀</a>";
  std::u16string utf16 = u"<a>é😀</a>";
  std::string little("\xFF\xFE", 2), big("\xFE\xFF", 2), bare;
  for (char16_t unit : utf16) {
    little += static_cast<char>(unit & 0xFF);
    little += static_cast<char>(unit >> 8);
    big += static_cast<char>(unit >> 8);
    big += static_cast<char>(unit & 0xFF);
  }
  bare = little.substr(2);
  for (std::string* document : {&little, &big, &bare}) {
    XmlTokenizer::ConvertToUtf8(*document);
    EXPECT_EQ(*document, text);
  }
  std::string with_bom = "\xEF\xBB\xBF<a/>";
  XmlTokenizer::ConvertToUtf8(with_bom);
  EXPECT_EQ(with_bom, "<a/>");
  std::string lone_surrogate("\xFF\xFE<\0\x00\xD8", 6);
  EXPECT_THROW(XmlTokenizer::ConvertToUtf8(lone_surrogate), XmlError);
}

TEST(XmlTokenizerTest, FlatElementShortcutTakesOnlyPlainShapes) {
  XmlTokenizer xml(
      "<d><x:c r=\"A1\" s='2'><x:v>12</x:v></x:c><c t=\"s\"/><c></c>"
      "<c><v>a&amp;b</v></c><c><v a=\"1\">3</v></c><c> <v>4</v></c>"
      "<c><v>5</v><f>x</f></c><c><v>6</w></c></d>");
  XmlTokenizer::FlatElement flat;
  EXPECT_FALSE(xml.ReadFlatElement("c", flat));  // not inside the root yet
  ASSERT_EQ(xml.Next(), Token::kStartTag);
  ASSERT_TRUE(xml.ReadFlatElement("c", flat));
  EXPECT_EQ(xml.name(), "x:c");
  EXPECT_EQ(xml.AttributeOr("r"), "A1");
  EXPECT_EQ(xml.AttributeOr("s"), "2");
  EXPECT_EQ(flat.child, "x:v");
  EXPECT_EQ(flat.text, "12");
  ASSERT_TRUE(xml.ReadFlatElement("c", flat));
  EXPECT_EQ(xml.AttributeOr("t"), "s");
  EXPECT_EQ(flat.child, "");
  ASSERT_TRUE(xml.ReadFlatElement("c", flat));
  EXPECT_EQ(flat.child, "");
  EXPECT_FALSE(xml.ReadFlatElement("row", flat));
  // A reference, an attribute on the child, spaces, two children or a
  // mismatched tag: left to Next(), which reads them (or fails) as usual.
  for (int i = 0; i < 4; ++i) {
    EXPECT_FALSE(xml.ReadFlatElement("c", flat)) << i;
    int depth = 0;
    do {
      const Token token = xml.Next();
      depth += token == Token::kStartTag ? 1 : token == Token::kEndTag ? -1 : 0;
    } while (depth > 0);
  }
  EXPECT_FALSE(xml.ReadFlatElement("c", flat));
  EXPECT_THROW(Trace(xml), XmlError);
}

// Trace() again, but taking flat elements through the shortcut and
// spelling them out as Next() would.
std::vector<std::string> TraceWithShortcut(XmlTokenizer& xml,
                                           std::string_view local = "c") {
  std::vector<std::string> trace;
  XmlTokenizer::FlatElement flat;
  for (;;) {
    while (xml.ReadFlatElement(local, flat)) {
      std::string line = "<";
      line += xml.name();
      for (const auto& attribute : xml.attributes()) {
        line.append(" ").append(attribute.name).append("=");
        line.append(attribute.value);
      }
      trace.push_back(line + ">");
      if (!flat.child.empty()) {
        trace.push_back("<" + std::string(flat.child) + ">");
        if (!flat.text.empty())
          trace.push_back("'" + std::string(flat.text) + "'");
        trace.push_back("</" + std::string(flat.child) + ">");
      }
      trace.push_back("</" + std::string(xml.name()) + ">");
    }
    const Token token = xml.Next();
    if (token == Token::kEnd) return trace;
    std::string line;
    if (token == Token::kStartTag) {
      line = "<";
      line += xml.name();
      for (const auto& attribute : xml.attributes()) {
        line.append(" ").append(attribute.name).append("=");
        line.append(attribute.value);
      }
      line += ">";
    } else if (token == Token::kEndTag) {
      line = "</";
      line += xml.name();
      line += ">";
    } else if (!trace.empty() && trace.back().front() == '\'') {
      trace.back().insert(trace.back().size() - 1, xml.text());
      continue;
    } else {
      line = "'";
      line += xml.text();
      line += "'";
    }
    trace.push_back(line);
  }
}

TEST(XmlTokenizerTest, ArrivingDocumentGivesTheSameFlatElements) {
  const std::string document =
      "<sheetData><row r=\"1\"><c r=\"A1\" s=\"3\"><v>1.5</v></c>"
      "<c r=\"B1\" t=\"s\"><v>17</v></c><c r=\"C1\"/><c><f>x</f></c>"
      "<c t=\"inlineStr\"><is><t>in&amp;line</t></is></c></row></sheetData>";
  XmlTokenizer whole(document);
  const std::vector<std::string> expected = Trace(whole);
  for (std::size_t step = 1; step <= 9; ++step) {
    XmlTokenizer xml(document.data(), 0, [&](std::size_t have) {
      return std::min(document.size(), have + step);
    });
    EXPECT_EQ(TraceWithShortcut(xml), expected) << "step " << step;
  }
}

// Cells of every length, the shortcut's look (64 bytes at a time, up to
// 256) holding them whole or not, with prefixed names or not, and of
// unusual shapes: read as Next() reads them, or refused alike.
TEST(XmlTokenizerTest, FlatElementsOfEveryLengthReadAsTokens) {
  std::string document =
      "<sheetData><c r=\"A1\" s=\"3\"><v>1.5</v></c><c r=\"B1\"/>"
      "<c r='C1'><v>2</v></c><c r=\"D1\" t=\"str\"><v>caf\xC3\xA9 \"x\"</v></c>"
      "<c r=\"E1\"  t=\"s\" ><v>4</v></c><c r=\"F1\"></c><c\tr=\"G1\"/>"
      "<c r=\"H1\"><v>a&amp;b</v></c><c r=\"I1\" t=\"\xC3\xA9\"/><cc/>"
      "<c r=\"J\x01\"/>";
  for (std::size_t length = 0; length < 70; ++length) {
    document += "<c r=\"A" + std::to_string(length) + "\" s=\"12\"><v>" +
                std::string(length, '7') + "</v></c>";
  }
  document += "</sheetData>";
  XmlTokenizer whole(document);
  const std::vector<std::string> expected = Trace(whole);
  XmlTokenizer xml(document);
  EXPECT_EQ(TraceWithShortcut(xml), expected);

  std::string prefixed = "<table:table-row>";
  for (std::size_t length = 0; length < 300; length += 7) {
    const std::string digits(length, '5');
    prefixed +=
        "<table:table-cell office:value-type=\"float\" office:value=\"" +
        digits + "\"><text:p>" + digits + (length % 3 ? "" : "\"q\"") +
        "</text:p></table:table-cell><table:table-cell table:n=\"" + digits +
        "\"/><table:table-cell/>";
  }
  prefixed += "<table-cell a=\"1\"><p>x</p></table-cell></table:table-row>";
  XmlTokenizer prefixed_whole(prefixed);
  XmlTokenizer prefixed_xml(prefixed);
  EXPECT_EQ(TraceWithShortcut(prefixed_xml, "table-cell"),
            Trace(prefixed_whole));

  const std::string padding =
      "<c r=\"A2\"><v>" + std::string(64, '1') + "</v></c>";
  for (const std::string bad :
       {"<c r=\"A1\"><v>1</w></c>", "<c r\x01=\"A1\"/>",
        "<c r=\"A1\"><v>1</v></d>", "<c r=\"A1\" / >"}) {
    const std::string text = "<d>" + bad + padding + "</d>";
    XmlTokenizer malformed(text);
    EXPECT_THROW(TraceWithShortcut(malformed), XmlError) << bad;
  }
}

// A document arriving in pieces must give the same tokens wherever the
// pieces are cut, and the same error for a malformed one.
TEST(XmlTokenizerTest, ArrivingDocumentGivesTheSameTokens) {
  const std::string document =
      "<?xml version=\"1.0\"?><!-- note --><w:a xmlns:w=\"u\" k='v&amp;w'>"
      "<b x=\"1\"/>te&lt;xt<![CDATA[cd]]><c>&#x3B1;</c>\r\n</w:a>";
  const std::vector<std::string> expected = Trace(document);
  for (std::size_t step = 1; step <= 7; ++step) {
    XmlTokenizer xml(document.data(), 0, [&](std::size_t have) {
      return std::min(document.size(), have + step);
    });
    EXPECT_EQ(Trace(xml), expected) << "step " << step;
  }
  const std::string broken = "<a><b></a>";
  XmlTokenizer xml(broken.data(), 1, [&](std::size_t have) {
    return std::min(broken.size(), have + 1);
  });
  EXPECT_THROW(Trace(xml), XmlError);
}

// A document that arrives `step` bytes at a time (the first piece
// `first` bytes) into a buffer whose bytes not yet received hold misleading
// markup, as an entry being inflated holds stale or half-written bytes:
// any look past the received bytes changes the tokens.
class ArrivingDocument {
 public:
  ArrivingDocument(const std::string& document, std::size_t first,
                   std::size_t step)
      : document_(document), step_(step) {
    static constexpr char kGarbage[] = "\"/><a b='\"'/></>&<c>";
    buffer_.resize(document.size() + 64);
    for (std::size_t i = 0; i < buffer_.size(); ++i) {
      buffer_[i] = kGarbage[i % (sizeof kGarbage - 1)];
    }
    have_ = std::min(first, document.size());
    document_.copy(buffer_.data(), have_);
  }

  XmlTokenizer Tokenizer() {
    return XmlTokenizer(buffer_.data(), have_, [this](std::size_t have) {
      EXPECT_EQ(have, have_);
      const std::size_t now = std::min(document_.size(), have + step_);
      document_.copy(buffer_.data() + have, now - have, have);
      have_ = now;
      return now;
    });
  }

 private:
  const std::string& document_;
  std::size_t step_;
  std::size_t have_ = 0;
  std::string buffer_;
};

TEST(XmlTokenizerTest, ArrivingDocumentIsNeverReadPastTheReceivedBytes) {
  const std::string ods =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
      "xmlns:office=\"urn:office\" office:version=\"1.3\"><office:body>"
      "<table:table table:name=\"S\"><table:table-row>"
      "<table:table-cell office:value-type=\"string\">"
      "<office:annotation><text:p>comment</text:p></office:annotation>"
      "<text:p>a<text:s text:c=\"3\"/>b<text:s/>c<text:tab/>d"
      "<text:line-break/><text:span>e<text:a>f</text:a></text:span>"
      "<text:bookmark-start text:name=\"x\"/>g  h </text:p>"
      "<text:p/><text:h>head</text:h></table:table-cell>"
      "<table:table-cell office:value-type=\"string\" "
      "office:string-value=\"attribute wins\"><text:p>shown</text:p>"
      "</table:table-cell>"
      "<table:table-cell office:value-type='float' office:value='1&#x30;'>"
      "<text:p>10</text:p></table:table-cell>"
      "<table:table-cell><text:p>no value type</text:p></table:table-cell>"
      "<table:table-cell office:value-type=\"string\"/>"
      "<table:covered-table-cell table:number-columns-repeated=\"2\"/>"
      "<!-- a > b --><![CDATA[x<y]]>\r\n</table:table-row></table:table>"
      "</office:body></office:document-content>";
  const std::string xlsx =
      "<worksheet xmlns=\"m\"><sheetData><row r=\"1\" spans=\"1:4\">"
      "<c r=\"A1\" s=\"3\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>17</v></c>"
      "<c r=\"C1\"/><c r=\"D1\" t=\"str\"><f>A1&amp;B1</f><v>x y</v></c>"
      "<c r=\"E1\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> in "
      "</t></is></c><x:c r=\"F1\"><x:v>2</x:v></x:c><c r='G1'><v></v></c>"
      "</row></sheetData></worksheet>";
  for (const auto& [document, local] :
       {std::pair<const std::string&, std::string_view>(ods, "table-cell"),
        std::pair<const std::string&, std::string_view>(xlsx, "c")}) {
    XmlTokenizer whole(document);
    const std::vector<std::string> expected = Trace(whole);
    for (std::size_t step = 1; step <= 17; ++step) {
      for (std::size_t first = 0; first < step; ++first) {
        ArrivingDocument plain(document, first, step);
        XmlTokenizer xml = plain.Tokenizer();
        EXPECT_EQ(Trace(xml), expected)
            << "step " << step << " first " << first;
        ArrivingDocument flat(document, first, step);
        XmlTokenizer shortcut = flat.Tokenizer();
        EXPECT_EQ(TraceWithShortcut(shortcut, local), expected)
            << "step " << step << " first " << first;
      }
    }
  }
}

}  // namespace
}  // namespace kestrilo

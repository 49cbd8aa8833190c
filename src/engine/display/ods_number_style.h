// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrilo {

/// One element of an ods number style as a reader finds it, names without
/// their namespace prefixes: the style itself ("number-style",
/// "currency-style", "percentage-style", "date-style", "time-style",
/// "boolean-style", "text-style") and its children ("number", "text",
/// "currency-symbol", "day", "hours", "text-properties", "map" ...).
struct OdsStyleElement {
  std::string name;
  /// Attributes by local name: "decimal-places", "style", "color",
  /// "condition", "apply-style-name" ...
  std::vector<std::pair<std::string, std::string>> attributes;
  /// The element's text ("number:text", "number:currency-symbol").
  std::string text;
  std::vector<OdsStyleElement> children;

  /// The attribute's value; empty when it is absent.
  std::string_view Attribute(std::string_view local_name) const;
  bool HasAttribute(std::string_view local_name) const;
};

/// Finds a number style of the document by its style:name, for the
/// style:map elements that send some values to another style. Null when
/// there is none.
using OdsStyleLookup =
    std::function<const OdsStyleElement*(std::string_view name)>;

/// The xlsx-style format code that shows what the ods number style shows,
/// so that one renderer serves every format: "0.00%" for a percentage
/// style of two decimals, "[h]:mm" for a time style with
/// number:truncate-on-overflow="false", "\"$\"#,##0.00;[Red]-\"$\"#,##0.00"
/// for a currency style whose map sends values >= 0 to another style.
///
/// Mapped styles come from `lookup` (their own maps are not followed);
/// colours of style:text-properties become the nearest colour a code can
/// name. Parts a code can't say (quarters, weeks of the year, eras) are
/// left out.
std::string OdsNumberStyleToCode(const OdsStyleElement& style,
                                 const OdsStyleLookup& lookup = {});

}  // namespace kestrilo

// SPDX-License-Identifier: MIT

#pragma once
// The recipe that the records layout is made for: a sheet whose header row
// shapes each row into a <recipe>, and the XML it gives, byte for byte.

#include <string>

#include "grid_workbooks.h"

namespace kestrilo::testing_support {

/// Two groups of ingredient columns filled, a third left empty.
inline Grid RecipeGrid() {
  Grid grid(2);
  for (const char* header : {"title", "servings/@quantity", "servings/@unit"}) {
    grid[0].push_back(Text(header));
  }
  for (int group = 0; group < 3; ++group) {
    for (const char* header :
         {"ingredient/@name", "ingredient/@quantity", "ingredient/@unit"}) {
      grid[0].push_back(Text(header));
    }
  }
  grid[1] = {Text("Turkey Dinner"), Number(8),  Text("helpings"),
             Text("Turkey"),        Number(20), Text("pounds"),
             Text("Carrots"),       Number(2),  Text("cups")};
  return grid;
}

/// Its XML with `--title recipes --records recipe`; `root_attributes` go
/// in the root's tag.
inline std::string RecipeXml(const std::string& root_attributes = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
         "<recipes" +
         root_attributes +
         ">\r\n"
         "\t<recipe>\r\n"
         "\t\t<title>Turkey Dinner</title>\r\n"
         "\t\t<servings quantity=\"8\" unit=\"helpings\"/>\r\n"
         "\t\t<ingredient name=\"Turkey\" quantity=\"20\" unit=\"pounds\"/>\r\n"
         "\t\t<ingredient name=\"Carrots\" quantity=\"2\" unit=\"cups\"/>\r\n"
         "\t</recipe>\r\n"
         "</recipes>\r\n";
}

}  // namespace kestrilo::testing_support

// A document written around its list: the placeholder must stand once, on a line of its own,
// or the pages written in its place would be lost, doubled or misplaced.

#include "authoring/ListedDocument.h"

#include <gtest/gtest.h>

#include "util/Error.h"

namespace {

TEST(ListedDocumentTest, ThePlaceholderStandsOnceOnALineOfItsOwn) {
  const std::string placeholder = std::string("<") + kListPlaceholder + "/>";
  const TListedDocument listed("<?xml version=\"1.0\"?>\n<a>\n  <b>\n    " + placeholder +
                               "\n  </b>\n</a>\n");
  EXPECT_EQ(listed.Before(), "<?xml version=\"1.0\"?>\n<a>\n  <b>\n");
  EXPECT_EQ(listed.After(), "  </b>\n</a>\n");
  EXPECT_EQ(listed.Depth(), 2);
  EXPECT_EQ(ListItemText(2, [](platform::XmlNode parent) { parent.AddChild("p").AddChild("q"); }),
            "    <p>\n      <q/>\n    </p>\n");

  for (const std::string& text :
       {std::string("<?xml version=\"1.0\"?>\n<a>\n  <b/>\n</a>\n"),
        "<?xml version=\"1.0\"?>\n<a>\n  " + placeholder + "\n  " + placeholder + "\n</a>\n",
        "<?xml version=\"1.0\"?>\n<a>" + placeholder + "</a>\n"})
    EXPECT_THROW(TListedDocument{text}, Error) << text;
}

}  // namespace

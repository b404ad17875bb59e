// The viewer finds a hit's box by counting words: word i of a page's line in the index must be
// word i of that page's search text, whatever the words hold.

#include "authoring/SearchText.h"

#include <gtest/gtest.h>

#include "platform/Xml.h"

namespace {

std::vector<platform::XmlNode> Elements(platform::XmlNode node) {
  std::vector<platform::XmlNode> found;
  for (const platform::XmlNode& child : node.Children())
    if (child.IsElement()) found.push_back(child);
  return found;
}

std::vector<std::string> SplitOnSpaces(const std::string& line) {
  std::vector<std::string> words;
  std::size_t from = 0;
  for (std::size_t at; (at = line.find(' ', from)) != std::string::npos; from = at + 1)
    words.push_back(line.substr(from, at - from));
  words.push_back(line.substr(from));
  return words;
}

TEST(SearchTextTest, IndexWordsAndPageWordsStayInStep) {
  const std::vector<TSearchWord> words = {
      {"Tom&<Jerry>", 72, 90.5, 40.25, 11},
      {"  ", 1, 1, 1, 1},                     // blank: left out of both
      {"two  words\n", 120.126, 90, 30, 11},  // one word still, spaces kept as no-break spaces
      {"\x01\x02", 1, 1, 1, 1},               // nothing storable: left out of both
      {"\xEF\xBF\xBF"
       "end\x03",
       0.004, -0.001, 1e6, 2},
  };
  platform::XmlDocument page;
  page.LoadFromText(WritePageSearchText(words));
  const platform::XmlNode root = page.DocumentElement();
  EXPECT_EQ(root.Name(), "searchtext");
  EXPECT_EQ(root.Attribute("version"), "1");
  const auto written = Elements(root);
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0].Text(), "Tom&<Jerry>");
  EXPECT_EQ(written[0].Attribute("left"), "72");
  EXPECT_EQ(written[0].Attribute("top"), "90.5");
  EXPECT_EQ(written[0].Attribute("width"), "40.25");
  EXPECT_EQ(written[1].Text(), "two\xC2\xA0words");
  EXPECT_EQ(written[1].Attribute("left"), "120.13");
  EXPECT_EQ(written[2].Text(), "end");
  EXPECT_EQ(written[2].Attribute("left"), "0");
  EXPECT_EQ(written[2].Attribute("top"), "0");
  EXPECT_EQ(written[2].Attribute("width"), "1000000");

  TSearchIndex index;
  index.AddPage(2, words);
  index.AddPage(3, {{" ", 0, 0, 0, 0}});  // no text: no line
  index.AddPage(7, {{"last", 0, 0, 1, 1}});
  platform::XmlDocument document;
  document.LoadFromText(index.Document());
  const auto lines = Elements(document.DocumentElement());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Attribute("number"), "2");
  EXPECT_EQ(lines[1].Attribute("number"), "7");
  const auto indexWords = SplitOnSpaces(lines[0].Text());
  ASSERT_EQ(indexWords.size(), written.size());
  for (std::size_t i = 0; i < written.size(); ++i) EXPECT_EQ(indexWords[i], written[i].Text());
}

}  // namespace

#pragma once
// The places in a document's text where the document readers take package addresses from, so
// that the authoring commands can change those numbers and leave every other byte as written.
//
// A site is the value of an attribute, or the content of an element, whose name begins with
// "pos_" or "size_" (in any letter case), or the end of a start tag, where an address
// attribute that the element lacks can be added. Which site the readers really take for a
// property is not guessed here: the marked text puts a distinct number in every site, the
// readers load it, and the number a property comes back with names its site.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TAddressText {
 public:
  // Scans `text`; `addable`: with the sites where missing address attributes can be added.
  // Raises Error for a document in UTF-16 or UTF-32 and for markup that does not end.
  TAddressText(std::string text, bool addable);

  const std::string& Text() const { return text_; }
  std::size_t SiteCount() const { return sites_.size(); }
  // An added site exists only as a place to add an attribute; it holds no value yet.
  bool IsAdded(std::size_t site) const;

  // The text with each site holding its marker number.
  std::string Marked() const;
  // The site a marker number names; none for a number that is no marker.
  std::optional<std::size_t> SiteOfMarker(std::uint32_t number) const;

  // The text with the given sites holding the given texts (digits); other sites as written and
  // added sites left out.
  std::string Rewritten(const std::map<std::size_t, std::string>& values) const;

 private:
  enum class TKind { AttributeValue, ElementContent, EmptyElement, AddedAttribute };
  struct TSite {
    TKind kind;
    std::size_t begin, end;  // the bytes the site replaces
    std::string name;        // element name (EmptyElement) or attribute name (AddedAttribute)
  };

  void Scan();
  std::size_t ScanStartTag(std::size_t at, std::vector<std::string>& open,
                           std::vector<std::size_t>& contentStarts);
  std::size_t Skip(std::size_t at, std::string_view terminator) const;
  std::string Replacement(const TSite& site, const std::string& value) const;

  std::string text_;
  bool addable_;
  std::vector<TSite> sites_;
};

// Whether `name` is the name of an address property ("pos_..." or "size_...", any letter case).
bool IsAddressName(std::string_view name);

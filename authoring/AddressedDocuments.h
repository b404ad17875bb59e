#pragma once
// The two documents of a package as text, with every package address the readers take from
// them located in that text, so that new addresses can be written in and every other byte kept.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "authoring/AddressText.h"
#include "authoring/PackageWriter.h"
#include "package/BookBlobs.h"

class TLMProject;
class TMBook;

struct TDocumentTexts {
  std::string project;
  std::string book;
};

// The documents loaded as the player loads them; Error "<label> does not load: ..." otherwise.
std::unique_ptr<TLMProject> LoadProjectDocument(std::string_view text, const std::string& label);
std::unique_ptr<TMBook> LoadBookDocument(std::string_view text, const std::string& label);

class TAddressedDocuments {
 public:
  enum class TUse {
    Fill,  // every pair gets a new address; missing pairs are added (WithAddresses)
    Move,  // the pairs that hold a position move (WithMovedPositions)
  };

  // Loads both documents (as stored, in UTF-8) and locates their addresses. Raises Error, naming
  // the document by its label, when one does not load or its text cannot be followed.
  TAddressedDocuments(std::string projectText, std::string bookText, std::string projectLabel,
                      std::string bookLabel, TUse use);
  ~TAddressedDocuments();

  const TLMProject& Project() const { return *project_; }
  const TMBook& Book() const { return *book_; }
  // Every address pair, in the authoring order, as the documents state it.
  const std::vector<TBookBlob>& Blobs() const { return blobs_; }

  // Blob i gets addresses[i]; a pair the text does not hold is added unless it is zero.
  TDocumentTexts WithAddresses(const std::vector<BlobAddress>& addresses) const;
  // Every non-zero pos_ becomes pos - from + to; sizes and every other byte stay.
  TDocumentTexts WithMovedPositions(std::uint64_t from, std::uint64_t to) const;

 private:
  struct TNewAddress {
    std::optional<std::uint32_t> pos, size;  // none: the pair keeps its text
  };
  struct TSites {
    std::optional<std::size_t> pos, size;
  };
  TAddressText& TextOf(TBlobDocument document) {
    return document == TBlobDocument::Project ? projectText_ : bookText_;
  }
  const TAddressText& TextOf(TBlobDocument document) const {
    return document == TBlobDocument::Project ? projectText_ : bookText_;
  }
  const std::string& LabelOf(TBlobDocument document) const;
  void LocateSites();
  TDocumentTexts Rewrite(const std::vector<TNewAddress>& addresses, bool addMissing) const;
  void CheckReadBack(const TDocumentTexts& texts, const std::vector<BlobAddress>& expected) const;

  std::string projectLabel_, bookLabel_;
  std::unique_ptr<TLMProject> project_;
  std::unique_ptr<TMBook> book_;
  TAddressText projectText_, bookText_;
  std::vector<TBookBlob> blobs_;
  std::vector<TSites> sites_;
};

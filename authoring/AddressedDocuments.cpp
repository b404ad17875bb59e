#include "authoring/AddressedDocuments.h"

#include <cstdio>
#include <map>

#include "model/book/MProjects.h"
#include "model/settings/LMProjects.h"
#include "util/Error.h"

std::unique_ptr<TLMProject> LoadProjectDocument(std::string_view text, const std::string& label) {
  auto project = std::make_unique<TLMProject>();
  try {
    project->LoadFromStream(text);
  } catch (const Error& e) {
    throw Error(label + " does not load: " + e.what());
  }
  return project;
}

std::unique_ptr<TMBook> LoadBookDocument(std::string_view text, const std::string& label) {
  auto book = std::make_unique<TMBook>();
  try {
    book->LoadFromStream(text);
  } catch (const Error& e) {
    throw Error(label + " does not load: " + e.what());
  }
  return book;
}

namespace {

TAddressText Scanned(std::string text, const std::string& label, bool addable) {
  try {
    return TAddressText(std::move(text), addable);
  } catch (const Error& e) {
    throw Error(label + ": " + e.what());
  }
}

// The settings reader takes whole numbers through a signed 32-bit parse, which also accepts
// "$" hexadecimal up to 32 bits: larger values are written that way.
std::string FormatNumber(TBlobDocument document, std::uint32_t value) {
  if (document == TBlobDocument::Book || value <= 0x7FFFFFFFu) return std::to_string(value);
  char text[16];
  std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(value));
  return text;
}

std::string Describe(const TBookBlob& blob) {
  return std::string(DocumentName(blob.document)) + " " + blob.property;
}

}  // namespace

TAddressedDocuments::TAddressedDocuments(std::string projectText, std::string bookText,
                                         std::string projectLabel, std::string bookLabel, TUse use)
    : projectLabel_(std::move(projectLabel)),
      bookLabel_(std::move(bookLabel)),
      project_(LoadProjectDocument(projectText, projectLabel_)),
      book_(LoadBookDocument(bookText, bookLabel_)),
      projectText_(Scanned(std::move(projectText), projectLabel_, use == TUse::Fill)),
      bookText_(Scanned(std::move(bookText), bookLabel_, use == TUse::Fill)) {
  blobs_ = ListBookBlobs(*project_, *book_);
  LocateSites();
}

TAddressedDocuments::~TAddressedDocuments() = default;

// Loads the marked texts: the number each property comes back with names the site it is read
// from; zero means no site (the object's element is missing from the document).
const std::string& TAddressedDocuments::LabelOf(TBlobDocument document) const {
  return document == TBlobDocument::Project ? projectLabel_ : bookLabel_;
}

void TAddressedDocuments::LocateSites() {
  const std::vector<TBookBlob> markedBlobs =
      ListBookBlobs(*LoadProjectDocument(projectText_.Marked(), projectLabel_),
                    *LoadBookDocument(bookText_.Marked(), bookLabel_));
  if (markedBlobs.size() != blobs_.size())
    throw Error("The documents read differently once their addresses are marked");
  sites_.resize(blobs_.size());
  for (std::size_t i = 0; i < blobs_.size(); ++i) {
    const TBookBlob& blob = markedBlobs[i];
    const TAddressText& text = TextOf(blob.document);
    const auto locate = [&](std::uint32_t marker) -> std::optional<std::size_t> {
      if (marker == 0) return std::nullopt;
      const auto site = text.SiteOfMarker(marker);
      if (!site) throw Error("Cannot locate the text of " + Describe(blob) + " in its document");
      return site;
    };
    sites_[i] = {locate(blob.pos), locate(blob.size)};
  }
}

TDocumentTexts TAddressedDocuments::Rewrite(const std::vector<TNewAddress>& addresses,
                                            bool addMissing) const {
  std::map<std::size_t, std::string> values[2];
  std::vector<BlobAddress> expected;
  for (std::size_t i = 0; i < blobs_.size(); ++i) {
    const TBookBlob& blob = blobs_[i];
    const TAddressText& text = TextOf(blob.document);
    auto& documentValues = values[blob.document == TBlobDocument::Project ? 0 : 1];
    const auto set = [&](const std::optional<std::size_t>& site,
                         const std::optional<std::uint32_t>& value, const char* what) {
      if (!value) return;
      if (!site) {
        if (*value != 0)
          throw Error(LabelOf(blob.document) + ": cannot write the " + what + " of " +
                      Describe(blob) + ": the document has no element for it");
        return;
      }
      if (text.IsAdded(*site) && (*value == 0 || !addMissing)) return;
      documentValues[*site] = FormatNumber(blob.document, *value);
    };
    set(sites_[i].pos, addresses[i].pos, "pos_");
    set(sites_[i].size, addresses[i].size, "size_");
    expected.push_back(
        {addresses[i].pos.value_or(blob.pos), addresses[i].size.value_or(blob.size)});
  }
  TDocumentTexts texts{projectText_.Rewritten(values[0]), bookText_.Rewritten(values[1])};
  CheckReadBack(texts, expected);
  return texts;
}

// The documents are read back as the player reads them: any difference is a fault here, and
// the package must not be written.
void TAddressedDocuments::CheckReadBack(const TDocumentTexts& texts,
                                        const std::vector<BlobAddress>& expected) const {
  const std::vector<TBookBlob> blobs =
      ListBookBlobs(*LoadProjectDocument(texts.project, projectLabel_),
                    *LoadBookDocument(texts.book, bookLabel_));
  if (blobs.size() != blobs_.size())
    throw Error("The rewritten documents no longer read as the originals");
  for (std::size_t i = 0; i < blobs.size(); ++i)
    if (blobs[i].pos != expected[i].pos || blobs[i].size != expected[i].size ||
        blobs[i].name != blobs_[i].name)
      throw Error("The rewritten documents read back a different address for " +
                  Describe(blobs[i]));
}

TDocumentTexts TAddressedDocuments::WithAddresses(const std::vector<BlobAddress>& addresses) const {
  if (addresses.size() != blobs_.size()) throw Error("One address per blob is needed");
  std::vector<TNewAddress> values;
  values.reserve(addresses.size());
  for (const BlobAddress& address : addresses) values.push_back({address.pos, address.size});
  return Rewrite(values, true);
}

TDocumentTexts TAddressedDocuments::WithMovedPositions(std::uint64_t from, std::uint64_t to) const {
  std::vector<TNewAddress> values;
  values.reserve(blobs_.size());
  for (const TBookBlob& blob : blobs_) {
    TNewAddress value;
    if (blob.pos != 0) {
      if (blob.pos < from) throw Error(Describe(blob) + " lies before the package");
      const std::uint64_t pos = blob.pos - from + to;
      if (pos > blob.PosLimit())
        throw Error(Describe(blob) + " would end at byte " + std::to_string(pos) +
                    (blob.signedPos ? ", past the 2 GiB" : ", past the 4 GiB") +
                    " its address can reach");
      value.pos = static_cast<std::uint32_t>(pos);
    }
    values.push_back(value);
  }
  return Rewrite(values, false);
}

// PDF documents over poppler's GLib interface, rendering through cairo.
// Implements: every operation of platform/Pdf.h. Words come from poppler's text layer (one box
//   per character, cut into words by util/BoxedText); links from the page's link annotations
//   (URI actions, destinations, named destinations, the named actions that turn pages); the
//   outline from the document's outline items, walked without recursion.
// Does not: ask for passwords, run scripts, follow links into other files, read forms or
//   annotations other than links, or render annotations' appearance streams differently from
//   poppler's defaults.
//
// A document and its pages are used from one thread at a time.

#include <cairo.h>
#include <poppler.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "platform/Pdf.h"
#include "util/Error.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxRenderSide = 32767;

struct GObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GFreeDeleter {
  void operator()(gpointer memory) const { g_free(memory); }
};
using GString = std::unique_ptr<char, GFreeDeleter>;

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};

struct ActionFree {
  void operator()(PopplerAction* action) const { poppler_action_free(action); }
};
struct DestFree {
  void operator()(PopplerDest* dest) const { poppler_dest_free(dest); }
};
struct IterFree {
  void operator()(PopplerIndexIter* iter) const { poppler_index_iter_free(iter); }
};
using IterPtr = std::unique_ptr<PopplerIndexIter, IterFree>;

std::string OpenFailure(GError* error) {
  std::unique_ptr<GError, ErrorFree> owned(error);
  if (error && error->domain == POPPLER_ERROR && error->code == POPPLER_ERROR_ENCRYPTED)
    return "it is encrypted and needs a password";
  if (error && error->domain == G_IO_ERROR) return error->message;
  return "it is damaged or not a PDF";
}

bool UsableSize(double width, double height) {
  return std::isfinite(width) && std::isfinite(height) && width > 0 && height > 0;
}

// A page number of the document (from 1) for a destination, 0 when it shows none.
int DestinationPage(PopplerDocument* document, const PopplerDest* dest, int pageCount) {
  if (!dest) return 0;
  int page = dest->page_num;
  if (dest->type == POPPLER_DEST_NAMED && dest->named_dest) {
    std::unique_ptr<PopplerDest, DestFree> found(
        poppler_document_find_dest(document, dest->named_dest));
    page = found ? found->page_num : 0;
  }
  return page >= 1 && page <= pageCount ? page : 0;
}

class PopplerPdfPage final : public PdfPage {
 public:
  PopplerPdfPage(PopplerDocument* document, GObjectPtr<PopplerPage> page, int index, int pageCount,
                 double width, double height)
      : document_(document),
        page_(std::move(page)),
        index_(index),
        pageCount_(pageCount),
        width_(width),
        height_(height) {}

  double Width() const override { return width_; }
  double Height() const override { return height_; }

  std::string Label() const override {
    const GString label(poppler_page_get_label(page_.get()));
    if (!label || std::to_string(index_ + 1) == label.get()) return {};
    return label.get();
  }

  std::vector<PdfWord> Words() const override {
    const GString text(poppler_page_get_text(page_.get()));
    PopplerRectangle* rectangles = nullptr;
    guint count = 0;
    if (!text || !poppler_page_get_text_layout(page_.get(), &rectangles, &count)) return {};
    const std::unique_ptr<PopplerRectangle, GFreeDeleter> owned(rectangles);
    std::vector<BoxF> boxes;
    boxes.reserve(count);
    for (guint i = 0; i < count; ++i) {
      const PopplerRectangle& r = rectangles[i];
      boxes.push_back({std::min(r.x1, r.x2), std::min(r.y1, r.y2), std::fabs(r.x2 - r.x1),
                       std::fabs(r.y2 - r.y1)});
    }
    return WordsOfBoxedText(text.get(), boxes, kMaxPdfPageWords);
  }

  std::vector<PdfLink> Links() const override {
    GList* mapping = poppler_page_get_link_mapping(page_.get());
    struct FreeMapping {
      GList* list;
      ~FreeMapping() { poppler_page_free_link_mapping(list); }
    } freeMapping{mapping};
    std::vector<PdfLink> links;
    // The list comes last annotation first.
    for (GList* item = g_list_last(mapping); item; item = item->prev) {
      if (links.size() >= static_cast<std::size_t>(kMaxPdfPageLinks)) break;
      const auto* link = static_cast<const PopplerLinkMapping*>(item->data);
      PdfLink found;
      if (!Target(link->action, found)) continue;
      // Poppler gives the area from the bottom-left corner of the page as shown.
      const PopplerRectangle& r = link->area;
      found.box = {std::min(r.x1, r.x2), height_ - std::max(r.y1, r.y2), std::fabs(r.x2 - r.x1),
                   std::fabs(r.y2 - r.y1)};
      links.push_back(std::move(found));
    }
    return links;
  }

  RgbPixels Render(int width, int height) const override {
    if (width < 1 || height < 1 || width > kMaxRenderSide || height > kMaxRenderSide ||
        !WithinPixelBudget({width, height}))
      throw Error("the page cannot be rendered at " + std::to_string(width) + " x " +
                  std::to_string(height) + " pixels");
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    struct FreeSurface {
      cairo_surface_t* surface;
      ~FreeSurface() { cairo_surface_destroy(surface); }
    } freeSurface{surface};
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
      throw Error("the page cannot be rendered: out of memory");
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_paint(cairo);
    cairo_scale(cairo, width / width_, height / height_);
    poppler_page_render(page_.get(), cairo);
    const cairo_status_t status = cairo_status(cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    if (status != CAIRO_STATUS_SUCCESS)
      throw Error(std::string("the page cannot be rendered: ") + cairo_status_to_string(status));
    return Packed(surface, width, height);
  }

 private:
  // What the action leads to, in `link`; false for actions that are not followed.
  bool Target(const PopplerAction* action, PdfLink& link) const {
    if (!action) return false;
    switch (action->type) {
      case POPPLER_ACTION_URI:
        if (!action->uri.uri || !*action->uri.uri) return false;
        link.uri = action->uri.uri;
        return true;
      case POPPLER_ACTION_GOTO_DEST:
        link.page = DestinationPage(document_, action->goto_dest.dest, pageCount_);
        return link.page != 0;
      case POPPLER_ACTION_NAMED:
        link.page = NamedActionPage(action->named.named_dest);
        return link.page != 0;
      default:
        return false;
    }
  }

  // The page the standard page-turning actions show from this page.
  int NamedActionPage(const char* name) const {
    if (!name) return 0;
    const int current = index_ + 1;
    int page = 0;
    if (std::strcmp(name, "NextPage") == 0) page = current + 1;
    if (std::strcmp(name, "PrevPage") == 0) page = current - 1;
    if (std::strcmp(name, "FirstPage") == 0) page = 1;
    if (std::strcmp(name, "LastPage") == 0) page = pageCount_;
    return page >= 1 && page <= pageCount_ ? page : 0;
  }

  // Cairo's 32-bit pixels (blue, green, red, unused in a native-endian word) as packed RGB.
  static RgbPixels Packed(cairo_surface_t* surface, int width, int height) {
    RgbPixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    std::uint8_t* out = pixels.rgb.data();
    for (int y = 0; y < height; ++y) {
      const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
      for (int x = 0; x < width; ++x) {
        const std::uint32_t pixel = row[x];
        *out++ = static_cast<std::uint8_t>(pixel >> 16);
        *out++ = static_cast<std::uint8_t>(pixel >> 8);
        *out++ = static_cast<std::uint8_t>(pixel);
      }
    }
    return pixels;
  }

  PopplerDocument* document_;
  GObjectPtr<PopplerPage> page_;
  int index_;
  int pageCount_;
  double width_;
  double height_;
};

class PopplerPdfDocument final : public PdfDocument {
 public:
  explicit PopplerPdfDocument(GObjectPtr<PopplerDocument> document)
      : document_(std::move(document)), pageCount_(poppler_document_get_n_pages(document_.get())) {
    if (pageCount_ < 1) throw Error("it has no pages");
  }

  int PageCount() const override { return pageCount_; }

  std::unique_ptr<PdfPage> Page(int index) const override {
    if (index < 0 || index >= pageCount_)
      throw Error("there is no page " + std::to_string(index + 1));
    GObjectPtr<PopplerPage> page(poppler_document_get_page(document_.get(), index));
    if (!page) throw Error("the page cannot be read");
    double width = 0, height = 0;
    poppler_page_get_size(page.get(), &width, &height);
    if (!UsableSize(width, height)) throw Error("the page has no usable size");
    return std::make_unique<PopplerPdfPage>(document_.get(), std::move(page), index, pageCount_,
                                            width, height);
  }

  std::vector<PdfOutlineEntry> Outline() const override {
    std::vector<PdfOutlineEntry> entries;
    // An iterator and its level for each level still open; each stands on the next item to
    // read at its level.
    std::vector<std::pair<IterPtr, int>> open;
    if (IterPtr top{poppler_index_iter_new(document_.get())}) open.emplace_back(std::move(top), 1);
    while (!open.empty() && entries.size() < static_cast<std::size_t>(kMaxPdfOutlineEntries)) {
      PopplerIndexIter* iter = open.back().first.get();
      const int level = open.back().second;
      entries.push_back(Entry(iter, level));
      IterPtr child;
      if (level < kMaxPdfOutlineLevel) child.reset(poppler_index_iter_get_child(iter));
      // A finished level goes before its last item's children are read.
      if (!poppler_index_iter_next(iter)) open.pop_back();
      if (child) open.emplace_back(std::move(child), level + 1);
    }
    return entries;
  }

 private:
  PdfOutlineEntry Entry(PopplerIndexIter* iter, int level) const {
    std::unique_ptr<PopplerAction, ActionFree> action(poppler_index_iter_get_action(iter));
    PdfOutlineEntry entry;
    entry.level = level;
    if (!action) return entry;
    if (action->any.title) entry.title = action->any.title;
    if (action->type == POPPLER_ACTION_GOTO_DEST)
      entry.page = DestinationPage(document_.get(), action->goto_dest.dest, pageCount_);
    return entry;
  }

  GObjectPtr<PopplerDocument> document_;
  int pageCount_;
};

}  // namespace

bool LooksLikePdf(std::string_view start) {
  return start.substr(0, 1024).find("%PDF-") != std::string_view::npos;
}

std::unique_ptr<PdfDocument> OpenPdf(const fs::path& file) {
  GObjectPtr<GFile> gfile(g_file_new_for_path(file.c_str()));
  GError* error = nullptr;
  GObjectPtr<PopplerDocument> document(
      poppler_document_new_from_gfile(gfile.get(), nullptr, nullptr, &error));
  if (!document) throw Error(OpenFailure(error));
  return std::make_unique<PopplerPdfDocument>(std::move(document));
}

std::unique_ptr<PdfDocument> OpenPdfFromBytes(std::string_view bytes) {
  GBytes* data = g_bytes_new(bytes.data(), bytes.size());
  struct Unref {
    GBytes* bytes;
    ~Unref() { g_bytes_unref(bytes); }
  } unref{data};
  GError* error = nullptr;
  GObjectPtr<PopplerDocument> document(poppler_document_new_from_bytes(data, nullptr, &error));
  if (!document) throw Error(OpenFailure(error));
  return std::make_unique<PopplerPdfDocument>(std::move(document));
}

}  // namespace platform

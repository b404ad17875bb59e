#include "tests/support/pdf/TestPdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>

namespace testsupport {
namespace {

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// A string value of a cairo tag attribute.
std::string Quoted(const std::string& value) {
  std::string quoted = "'";
  for (const char c : value) {
    if (c == '\'' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + "'";
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string LinkAttributes(const TestPdfLink& link) {
  std::string attributes = "rect=[" + Number(link.left) + " " + Number(link.top) + " " +
                           Number(link.width) + " " + Number(link.height) + "] ";
  if (!link.uri.empty()) return attributes + "uri=" + Quoted(link.uri);
  if (!link.dest.empty()) return attributes + "dest=" + Quoted(link.dest);
  return attributes + "page=" + std::to_string(link.page);
}

void DrawPage(cairo_t* cairo, cairo_surface_t* surface, const TestPdfPage& page) {
  cairo_pdf_surface_set_size(surface, page.width, page.height);
  // Cairo starts a page at its first drawing: a label set before would go to the next page.
  cairo_set_source_rgb(cairo, 1, 1, 1);
  cairo_paint(cairo);
  if (!page.label.empty()) cairo_pdf_surface_set_page_label(surface, page.label.c_str());
  if (!page.dest.empty()) {
    cairo_tag_begin(cairo, CAIRO_TAG_DEST, ("name=" + Quoted(page.dest) + " x=0 y=0").c_str());
    cairo_tag_end(cairo, CAIRO_TAG_DEST);
  }
  cairo_select_font_face(cairo, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_source_rgb(cairo, 0, 0, 0);
  for (const TestPdfText& text : page.texts) {
    cairo_set_font_size(cairo, text.size);
    cairo_move_to(cairo, text.x, text.y);
    cairo_show_text(cairo, text.text.c_str());
  }
  for (const TestPdfLink& link : page.links) {
    cairo_tag_begin(cairo, CAIRO_TAG_LINK, LinkAttributes(link).c_str());
    cairo_tag_end(cairo, CAIRO_TAG_LINK);
  }
  cairo_show_page(cairo);
}

void AddOutline(cairo_surface_t* surface, const std::vector<TestPdfOutlineEntry>& outline) {
  std::map<int, int> lastAtLevel = {{0, CAIRO_PDF_OUTLINE_ROOT}};
  for (const TestPdfOutlineEntry& entry : outline) {
    const int parent = lastAtLevel.at(entry.level - 1);
    lastAtLevel[entry.level] = cairo_pdf_surface_add_outline(
        surface, parent, entry.title.c_str(), ("page=" + std::to_string(entry.page)).c_str(),
        CAIRO_PDF_OUTLINE_FLAG_OPEN);
  }
}

}  // namespace

std::string MakeTestPdf(const TestPdfContent& content) {
  if (content.pages.empty()) throw std::invalid_argument("a test PDF needs a page");
  std::string bytes;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(
      Append, &bytes, content.pages.front().width, content.pages.front().height);
  cairo_t* cairo = cairo_create(surface);
  for (const TestPdfPage& page : content.pages) DrawPage(cairo, surface, page);
  AddOutline(surface, content.outline);
  cairo_destroy(cairo);
  cairo_surface_finish(surface);
  const cairo_status_t status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error(std::string("cairo: ") + cairo_status_to_string(status));
  return bytes;
}

TestPdfContent StandardTestPdfContent() {
  TestPdfContent content;
  TestPdfPage first;
  first.label = "i";
  first.texts = {{72, 100, "Bookstub test document", 24}, {72, 160, "Hello, world", 12}};
  first.links = {{72, 190, 150, 20, "https://example.org/", 0, ""},
                 {72, 230, 150, 20, "", 0, "results"}};
  TestPdfPage second;
  second.label = "ii";
  second.texts = {{72, 100, "Preface", 12}};
  TestPdfPage third;
  third.width = 842;
  third.height = 595;
  third.label = "1";
  third.dest = "results";
  third.texts = {{100, 100, "Results landscape", 12}};
  third.links = {{100, 300, 80, 20, "", 1, ""}, {100, 400, 80, 20, "", 2, ""}};
  content.pages = {first, second, third};
  content.outline = {{"Front matter", 1, 1}, {"Preface", 2, 2}, {"Results", 3, 1}};
  return content;
}

std::string StandardTestPdf() {
  return MakeTestPdf(StandardTestPdfContent());
}

std::string TextHeavyPdf(int pages, int linesPerPage) {
  TestPdfContent content;
  for (int p = 1; p <= pages; ++p) {
    TestPdfPage page;
    for (int line = 1; line <= linesPerPage; ++line)
      page.texts.push_back({56, 60.0 + line * 14,
                            "Page " + std::to_string(p) + ", line " + std::to_string(line) +
                                ": the quick brown fox jumps over the lazy dog, once more.",
                            11});
    content.pages.push_back(std::move(page));
  }
  return MakeTestPdf(content);
}

int RawPdf::Add(const std::string& body) {
  bodies_.push_back(body);
  return static_cast<int>(bodies_.size());
}

int RawPdf::AddStream(const std::string& dictionary, const std::string& data) {
  std::string head = dictionary;
  head.insert(head.rfind(">>"), " /Length " + std::to_string(data.size()) + " ");
  return Add(head + "\nstream\n" + data + "\nendstream");
}

void RawPdf::Set(int number, const std::string& body) {
  bodies_.at(static_cast<std::size_t>(number - 1)) = body;
}

std::string RawPdf::Bytes(int root, const std::string& trailerExtra) const {
  std::string out = "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < bodies_.size(); ++i) {
    offsets.push_back(out.size());
    out += std::to_string(i + 1) + " 0 obj\n" + bodies_[i] + "\nendobj\n";
  }
  const std::size_t table = out.size();
  out += "xref\n0 " + std::to_string(bodies_.size() + 1) + "\n0000000000 65535 f \n";
  for (const std::size_t offset : offsets) {
    char entry[21];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    out += entry;
  }
  out += "trailer\n<< /Size " + std::to_string(bodies_.size() + 1) + " /Root " + Ref(root) + " " +
         trailerExtra + " >>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n";
  return out;
}

std::string Ref(int number) {
  return std::to_string(number) + " 0 R";
}

namespace {

// Adds the page tree of `count` pages below `parent` (0 for the root); returns its object.
int AddPageTree(RawPdf& pdf, int parent, int count) {
  const int node = pdf.Add("");
  if (count == 1 && parent != 0) {
    pdf.Set(node, "<< /Type /Page /Parent " + Ref(parent) + " >>");
    return node;
  }
  int perKid = 1;
  while (perKid * 64 < count) perKid *= 64;
  std::string kids;
  for (int done = 0; done < count; done += perKid)
    kids += Ref(AddPageTree(pdf, node, std::min(perKid, count - done))) + " ";
  const std::string up = parent ? "/Parent " + Ref(parent) : "/MediaBox [0 0 200 200]";
  pdf.Set(node, "<< /Type /Pages " + up + " /Kids [" + kids + "] /Count " + std::to_string(count) +
                    " >>");
  return node;
}

// A document of one empty page; its catalog is left for the caller to write.
struct OnePage {
  RawPdf pdf;
  int catalog = pdf.Add("");
  int pages = pdf.Add("");
  int page = pdf.Add("<< /Type /Page /Parent " + Ref(pages) + " /MediaBox [0 0 200 200] >>");

  OnePage() { pdf.Set(pages, "<< /Type /Pages /Kids [" + Ref(page) + "] /Count 1 >>"); }
  void SetCatalog(const std::string& extra = "") {
    pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " " + extra + " >>");
  }
};

}  // namespace

std::string ManyPagesPdf(int pages) {
  RawPdf pdf;
  const int catalog = pdf.Add("");
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(AddPageTree(pdf, 0, pages)) + " >>");
  return pdf.Bytes(catalog);
}

std::string DeepOutlinePdf(int depth) {
  OnePage one;
  RawPdf& pdf = one.pdf;
  const int outlines = pdf.Add("");
  one.SetCatalog("/Outlines " + Ref(outlines));
  const int page = one.page;
  int parent = outlines;
  for (int level = 1; level <= depth; ++level) {
    // Each item's child is the next object.
    const int item = pdf.Add("");
    const std::string child =
        level < depth ? "/First " + Ref(item + 1) + " /Last " + Ref(item + 1) + " /Count 1" : "";
    pdf.Set(item, "<< /Title (Level " + std::to_string(level) + ") /Parent " + Ref(parent) +
                      " /Dest [" + Ref(page) + " /Fit] " + child + " >>");
    if (level == 1)
      pdf.Set(outlines,
              "<< /Type /Outlines /First " + Ref(item) + " /Last " + Ref(item) + " /Count 1 >>");
    parent = item;
  }
  return pdf.Bytes(one.catalog);
}

std::string LoopingOutlinePdf() {
  OnePage one;
  RawPdf& pdf = one.pdf;
  const int page = one.page;
  const int outlines = pdf.Add("");
  const int first = outlines + 1, second = outlines + 2;
  one.SetCatalog("/Outlines " + Ref(outlines));
  pdf.Set(outlines,
          "<< /Type /Outlines /First " + Ref(first) + " /Last " + Ref(second) + " /Count 2 >>");
  const std::string dest = " /Dest [" + Ref(page) + " /Fit]";
  pdf.Add("<< /Title (First) /Parent " + Ref(outlines) + " /Next " + Ref(second) + " /Prev " +
          Ref(second) + dest + " >>");
  pdf.Add("<< /Title (Second) /Parent " + Ref(outlines) + " /Next " + Ref(first) + " /Prev " +
          Ref(first) + dest + " >>");
  return pdf.Bytes(one.catalog);
}

std::string EncryptedPdf() {
  OnePage one;
  one.SetCatalog();
  const std::string checks(64, 'A');
  const int encrypt = one.pdf.Add("<< /Filter /Standard /V 1 /R 2 /O <" + checks + "> /U <" +
                                  checks + "> /P -44 >>");
  return one.pdf.Bytes(one.catalog, "/Encrypt " + Ref(encrypt) +
                                        " /ID [<00112233445566778899AABBCCDDEEFF>"
                                        " <00112233445566778899AABBCCDDEEFF>]");
}

std::string RotatedPagePdf() {
  RawPdf pdf;
  const int catalog = pdf.Add("");
  const int pages = pdf.Add("");
  const int font =
      pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const int content = pdf.AddStream("<< >>", "BT /F1 24 Tf 72 72 Td (Turned) Tj ET");
  const int link = pdf.Add(
      "<< /Type /Annot /Subtype /Link /Rect [72 60 172 90] /Border [0 0 0]"
      " /A << /S /URI /URI (https://example.org/turned) >> >>");
  const int page =
      pdf.Add("<< /Type /Page /Parent " + Ref(pages) +
              " /MediaBox [0 0 612 792] /Rotate 90 /Resources << /Font << /F1 " + Ref(font) +
              " >> >> /Contents " + Ref(content) + " /Annots [" + Ref(link) + "] >>");
  pdf.Set(pages, "<< /Type /Pages /Kids [" + Ref(page) + "] /Count 1 >>");
  pdf.Set(catalog, "<< /Type /Catalog /Pages " + Ref(pages) + " >>");
  return pdf.Bytes(catalog);
}

}  // namespace testsupport

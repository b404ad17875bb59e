// Fuzz harness of the project settings loader (TLMProject::LoadFromStream), followed by Assign
// of whatever the load produced. Seeds are generated from the property tables, so every element
// name and every conversion path is in the starting corpus.

#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "model/settings/LMProjects.h"
#include "util/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TLMProject project;
  try {
    project.LoadFromStream(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Error&) {
    // A document that does not parse, or a Boolean that does not convert.
  }
  TLMProject copy;
  copy.Assign(project);
  return 0;
}

namespace {

// A sample text for a property of each kind; `variant` picks one of a few per kind.
std::string SampleText(TPropKind kind, int variant) {
  switch (kind) {
    case TPropKind::Integer:
      return variant == 0 ? "42" : (variant == 1 ? "$7FFFFFFF" : " -0x10");
    case TPropKind::Cardinal:
      return variant == 0 ? "16777215" : (variant == 1 ? "$CC333333" : "2147483648");
    case TPropKind::Boolean:
      return variant == 0 ? "True" : (variant == 1 ? "false" : "TRUE");
    case TPropKind::Double:
      return variant == 0 ? "0.5" : (variant == 1 ? "0,5" : "-1.25e2");
    case TPropKind::Int64:
      return "4278190080";
    default:
      return variant == 0 ? "text"
                          : (variant == 1 ? "B\xC3\xBC"
                                            "cher &amp; Co"
                                          : "");
  }
}

// Elements for every property of `object`, sub-objects nested.
std::string Elements(const TLMBasicProject& object, int variant) {
  std::string xml;
  for (const TLMPropertyInfo* property : object.ClassInfo().Properties()) {
    const std::string name(property->name);
    std::string inner;
    if (property->kind == TPropKind::Object)
      inner = Elements(*property->object(object), variant);
    else if (property->IsScalar())
      inner = SampleText(property->kind, variant);
    xml += "<" + name + ">" + inner + "</" + name + ">";
  }
  return xml;
}

std::string Document(const std::string& body, const std::string& attributes = "") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<project" + attributes + ">" + body +
         "</project>";
}

}  // namespace

std::vector<std::string> FuzzSeeds() {
  const TLMProject project;
  std::vector<std::string> seeds;
  for (int variant = 0; variant < 3; ++variant)
    seeds.push_back(Document(Elements(project, variant)));
  seeds.push_back(Document(""));
  seeds.push_back(Document("<SWFWD>$10</SWFWD><swfwd>12</swfwd><NavBar><Height>x</Height></NavBar>",
                           " swfht=\"7\" canclose=\"False\" navbar=\"1\""));
  seeds.push_back(Document("<swfwd>1</swfwd><hardcover>1</hardcover><swfht>2</swfht>"));
  seeds.push_back(
      Document("<!-- c --><?pi x?><unknown><a/></unknown><navbar>text<b/></navbar>"
               "<exetitle><![CDATA[a<b]]></exetitle>"));
  seeds.push_back(AsciiAsUtf16("<project><exetitle>Title</exetitle><swfwd>5</swfwd></project>"));
  seeds.push_back("<project><swfwd>5</swfwd>");  // not well formed
  return seeds;
}

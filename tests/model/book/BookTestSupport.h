#pragma once
// Helpers of the book model tests: deep comparison over the property tables and XML loading.

#include <string>
#include <string_view>

#include "model/book/MBasicProjects.h"
#include "model/book/MProjects.h"
#include "platform/Xml.h"

namespace booktest {

std::string Describe(const TPropValue& value);

// Empty when both objects have the same class, element name and property values at every depth;
// otherwise the path of the first difference.
std::string DeepDifference(const TMBasicObject& a, const TMBasicObject& b,
                           const std::string& path = "");

// Loads `xml` (a whole document) into `object` from its document element.
void LoadInto(TMBasicObject& object, std::string_view xml);

// A book loaded from document text.
std::unique_ptr<TMBook> BookFrom(std::string_view xml);

// The attributes SaveToXML writes for `object`, as name="value" pairs joined by blanks.
std::string SavedAttributes(const TMBasicObject& object);

}  // namespace booktest

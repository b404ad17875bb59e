#pragma once
// The Content-Type that web servers send for a file, chosen by its extension.

#include <filesystem>
#include <string_view>

// The type for `file`'s extension in any letter case; "application/octet-stream" when the
// extension is unknown.
std::string_view MimeTypeForFile(const std::filesystem::path& file);

# cmake -DINPUT=FILE -DOUTPUT=FILE.cpp -DNAME=Function -P EmbedFile.cmake
# Writes a C++ source defining `std::string_view NAME()` that returns the bytes of INPUT (an empty
# view when INPUT is empty or missing), so that a program carries the file inside itself.
if(EXISTS "${INPUT}")
  file(READ "${INPUT}" hex HEX)
else()
  set(hex "")
endif()
string(LENGTH "${hex}" hex_length)
math(EXPR byte_count "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(([^,]*,){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by cmake/EmbedFile.cmake.\n"
  "#include <string_view>\n\n"
  "namespace {\nconstexpr char kBytes[] = {\n${bytes}'\\0'};\n}  // namespace\n\n"
  "std::string_view ${NAME}() {\n  return {kBytes, ${byte_count}};\n}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

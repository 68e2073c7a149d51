# Writes OUT, a C++ source that defines PageStyle() and PageScript() (see
# app/export/html-page.h) as the exact bytes of the files STYLE and SCRIPT.
# Run at build time (cmake -P), so an edit of either file rebuilds the page
# writer; the page's CSP hashes are taken of these same bytes at run time.
function(bytes_of file out_var)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  # Lines of 16 bytes keep the file readable for a compiler's messages.
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" hex "${hex}")
  set(${out_var} "${hex}" PARENT_SCOPE)
endfunction()

bytes_of("${STYLE}" style_bytes)
bytes_of("${SCRIPT}" script_bytes)
set(text "// Made by cmake/embed-page-assets.cmake from page.css and page.js.\n")
string(APPEND text "#include \"html-page.h\"\n\nnamespace {\n\n")
string(APPEND text "const unsigned char kStyle[] = {\n${style_bytes}};\n\n")
string(APPEND text "const unsigned char kScript[] = {\n${script_bytes}};\n\n")
string(APPEND text "}  // namespace\n\n")
string(APPEND text "std::string_view PageStyle() {\n  return {reinterpret_cast<const char*>(kStyle), sizeof kStyle};\n}\n\n")
string(APPEND text "std::string_view PageScript() {\n  return {reinterpret_cast<const char*>(kScript), sizeof kScript};\n}\n")
file(WRITE "${OUT}.new" "${text}")
file(RENAME "${OUT}.new" "${OUT}")

# Writes OUTPUT, a C++ source that holds the text of the files CSS and JS as the functions
# ModernStylesheetText() and ModernScriptText() return it. Run as cmake -P at build time.
file(READ "${CSS}" css)
file(READ "${JS}" js)
set(delimiter "fotoloom_asset")
foreach(text IN ITEMS "${css}" "${js}")
  string(FIND "${text}" ")${delimiter}\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "an asset holds the raw-string delimiter ${delimiter}")
  endif()
endforeach()
file(WRITE "${OUTPUT}.tmp"
  "// Made by embed.cmake from assets/fotoloom.css and assets/fotoloom.js; edit those.\n"
  "#include \"generation/modern_page.h\"\n\n"
  "namespace fotoloom {\n\n"
  "std::string_view ModernStylesheetText() {\n"
  "  static constexpr char kText[] = R\"${delimiter}(${css})${delimiter}\";\n"
  "  return {kText, sizeof kText - 1};\n"
  "}\n\n"
  "std::string_view ModernScriptText() {\n"
  "  static constexpr char kText[] = R\"${delimiter}(${js})${delimiter}\";\n"
  "  return {kText, sizeof kText - 1};\n"
  "}\n\n"
  "}  // namespace fotoloom\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

# Turns resources/strings.tsv ("id<TAB>text" per line, '#' comments) into a C++ table.
# Every byte outside printable ASCII, and '"' and '\', is written as an octal escape so any
# UTF-8 text survives unchanged.
file(READ "${INPUT}" raw)
if(raw MATCHES ";")
  message(FATAL_ERROR "strings.tsv: ';' cannot be carried through a CMake list; write it another way")
endif()
file(STRINGS "${INPUT}" lines ENCODING UTF-8)
set(body "")
foreach(line IN LISTS lines)
  if(line MATCHES "^#" OR line STREQUAL "")
    continue()
  endif()
  if(NOT line MATCHES "^([0-9]+)\t(.*)$")
    message(FATAL_ERROR "strings.tsv: malformed line: ${line}")
  endif()
  set(id "${CMAKE_MATCH_1}")
  set(text "${CMAKE_MATCH_2}")
  string(HEX "${text}" hex)
  string(LENGTH "${hex}" hexlen)
  set(escaped "")
  set(i 0)
  while(i LESS hexlen)
    string(SUBSTRING "${hex}" ${i} 2 byte)
    math(EXPR value "0x${byte}")
    if(value GREATER_EQUAL 32 AND value LESS 127 AND NOT value EQUAL 34 AND NOT value EQUAL 92
       AND NOT value EQUAL 63)
      string(ASCII ${value} ch)
      string(APPEND escaped "${ch}")
    else()
      math(EXPR o1 "${value} / 64")
      math(EXPR o2 "(${value} / 8) % 8")
      math(EXPR o3 "${value} % 8")
      string(APPEND escaped "\\${o1}${o2}${o3}")
    endif()
    math(EXPR i "${i} + 2")
  endwhile()
  string(APPEND body "    {${id}, \"${escaped}\"},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from resources/strings.tsv at build time; do not edit.
#include \"system/StringTableData.h\"

namespace Vellumetric {

const TStringTableEntry kStringTable[] = {
${body}};
const std::size_t kStringTableSize = sizeof(kStringTable) / sizeof(kStringTable[0]);

}  // namespace Vellumetric
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")

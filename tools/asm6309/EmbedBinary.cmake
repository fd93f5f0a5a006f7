# cmake -DINPUT=file.bin -DOUTPUT=file.cpp -DSYMBOL=name [-DSIZE=n] -P EmbedBinary.cmake
# Writes a C++ source that defines `const uint8_t name[]` with the bytes of INPUT.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
if(SIZE AND NOT size EQUAL SIZE)
  message(FATAL_ERROR "${INPUT} has ${size} bytes, expected ${SIZE}")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n" bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${name}; do not edit.\n#include <cstdint>\n\n"
  "extern const uint8_t ${SYMBOL}[${size}];\n"
  "const uint8_t ${SYMBOL}[${size}] = {\n${bytes}\n};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

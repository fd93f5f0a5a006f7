# cmake -DIN=<binary> -DOUT=<file.cpp> -DNAME=<symbol> -DSIZE=<bytes> -P embed.cmake
# Writes a C++ source defining `const uint8_t NAME[SIZE]` with the file's bytes.
file(SIZE "${IN}" _size)
if(NOT _size EQUAL SIZE)
  message(FATAL_ERROR "${IN} is ${_size} bytes; it must be exactly ${SIZE} bytes")
endif()
file(READ "${IN}" _hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," _bytes "${_hex}")
string(REGEX REPLACE "((0x..,){32})" "\\1\n" _bytes "${_bytes}")
file(WRITE "${OUT}.tmp" "// Generated from ${IN}; do not edit.\n#include \"rom/roms.h\"\n\nconst uint8_t ${NAME}[${SIZE}] = {\n${_bytes}\n};\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")

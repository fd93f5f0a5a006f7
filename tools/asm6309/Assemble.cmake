# Build-time use of asm6309 (functions, so defined for every directory added later).
#
# orlo_assemble(TARGET name SOURCE file.asm OUTPUT out.bin BASE addr SIZE n [FILL byte]
#               [LISTING file] [SYMBOLS file] [INCLUDE_DIRS dir...] [DEFINES NAME=value...]
#               [DEPENDS file-or-target...])
#   Assembles SOURCE into the raw image OUTPUT of the range [BASE, BASE + SIZE) at build
#   time; target `name` builds it. Relative SOURCE and INCLUDE_DIRS are taken from the
#   current source directory, relative outputs from the current binary directory. The
#   command reruns when the assembler, the source or any file it INCLUDEs or INCBINs changes.
#
# orlo_embed_binary(OUTPUT file.cpp INPUT file.bin SYMBOL name [SIZE n] [DEPENDS ...])
#   Generates a C++ source defining `extern const uint8_t name[]` with the bytes of INPUT;
#   with SIZE the build fails unless the file has exactly that many bytes.

function(orlo_assemble)
  cmake_parse_arguments(PARSE_ARGV 0 A "" "TARGET;SOURCE;OUTPUT;BASE;SIZE;FILL;LISTING;SYMBOLS"
    "INCLUDE_DIRS;DEFINES;DEPENDS")
  foreach(req TARGET SOURCE OUTPUT BASE SIZE)
    if(NOT DEFINED A_${req})
      message(FATAL_ERROR "orlo_assemble: ${req} is required")
    endif()
  endforeach()
  get_filename_component(src ${A_SOURCE} ABSOLUTE)
  get_filename_component(out ${A_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  set(outputs ${out})
  set(args -o ${out} --base ${A_BASE} --size ${A_SIZE} --depfile ${out}.d)
  if(DEFINED A_FILL)
    list(APPEND args --fill ${A_FILL})
  endif()
  foreach(kind LISTING SYMBOLS)
    if(DEFINED A_${kind})
      get_filename_component(f ${A_${kind}} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
      list(APPEND outputs ${f})
      if(kind STREQUAL LISTING)
        list(APPEND args -l ${f})
      else()
        list(APPEND args -s ${f})
      endif()
    endif()
  endforeach()
  foreach(dir ${A_INCLUDE_DIRS})
    get_filename_component(d ${dir} ABSOLUTE)
    list(APPEND args -I ${d})
  endforeach()
  foreach(def ${A_DEFINES})
    list(APPEND args -D ${def})
  endforeach()
  add_custom_command(OUTPUT ${outputs}
    COMMAND asm6309 ${args} ${src}
    DEPENDS asm6309 ${src} ${A_DEPENDS}
    DEPFILE ${out}.d
    COMMENT "Assembling ${A_SOURCE}"
    VERBATIM)
  add_custom_target(${A_TARGET} DEPENDS ${outputs})
endfunction()

function(orlo_embed_binary)
  cmake_parse_arguments(PARSE_ARGV 0 A "" "OUTPUT;INPUT;SYMBOL;SIZE" "DEPENDS")
  foreach(req OUTPUT INPUT SYMBOL)
    if(NOT DEFINED A_${req})
      message(FATAL_ERROR "orlo_embed_binary: ${req} is required")
    endif()
  endforeach()
  get_filename_component(in ${A_INPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  get_filename_component(out ${A_OUTPUT} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_BINARY_DIR})
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/EmbedBinary.cmake)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${in} -DOUTPUT=${out} -DSYMBOL=${A_SYMBOL}
            -DSIZE=${A_SIZE} -P ${script}
    DEPENDS ${in} ${script} ${A_DEPENDS}
    COMMENT "Embedding ${A_INPUT} as ${A_SYMBOL}"
    VERBATIM)
endfunction()

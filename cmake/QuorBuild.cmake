# Shared compiler settings and small helpers for the subsystem libraries.

set(QUOR_ROOT ${CMAKE_SOURCE_DIR})

add_compile_options(-Wall -Wextra)
if(QUOR_WERROR)
  add_compile_options(-Werror)
endif()

if(QUOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(QUOR_SANITIZE_THREAD)
  if(QUOR_SANITIZE OR QUOR_FUZZ)
    message(FATAL_ERROR "QUOR_SANITIZE_THREAD cannot be combined with QUOR_SANITIZE or QUOR_FUZZ")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(QUOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QUOR_FUZZ needs clang (for example CC=clang-14 CXX=clang++-14)")
  endif()
  # Libraries get coverage instrumentation; the fuzz executables add the libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
    -fsanitize-coverage-ignorelist=${CMAKE_CURRENT_LIST_DIR}/../fuzz/coverage-ignore.txt)
  add_link_options(-fsanitize=address,undefined)
  # The usual macro by which code lets a fuzzer past checksums it could never forge.
  add_compile_definitions(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
endif()

# quor_library(NAME SOURCES ... [LIBS ...]): a subsystem library whose headers are
# included from the repository root ("toolkit/core/Quor_String.h").
function(quor_library name)
  cmake_parse_arguments(Q "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${Q_SOURCES})
  target_include_directories(${name} PUBLIC ${QUOR_ROOT})
  if(Q_LIBS)
    target_link_libraries(${name} PUBLIC ${Q_LIBS})
  endif()
endfunction()

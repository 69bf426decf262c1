# Build settings shared by every module.

option(QUENTARA_WERROR "Treat compiler warnings as errors" OFF)
set(QUENTARA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address (with undefined) or thread")
# The fuzz build (clang only): the non-GUI libraries instrumented for
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets of tests/fuzz; no tests, no GUI, no benchmarks.
option(QUENTARA_FUZZ "Build the libFuzzer targets (needs CMAKE_CXX_COMPILER=clang++)" OFF)

add_compile_options(-Wall -Wextra)
# -O2 for release builds: g++ 12's -O3 raises false -Wrestrict and
# -Wformat-truncation reports inside std::string and bounded snprintf calls.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")
string(REPLACE "-O3" "-O2" CMAKE_C_FLAGS_RELEASE "${CMAKE_C_FLAGS_RELEASE}")
if(QUENTARA_WERROR)
  add_compile_options(-Werror)
endif()

# All text that the system stores or exchanges is GBK: string literals in the
# sources (UTF-8) become GBK bytes at run time, in the libraries and their tests.
# GB18030 is named because it encodes every GBK character with the same bytes
# and also takes the few non-GBK characters of the standard headers (the
# micro sign of <chrono>), which plain GBK refuses to compile.
# clang has no -fexec-charset other than UTF-8: the fuzz build keeps its
# literals in UTF-8, which the readers it exercises treat as any other bytes.
if(NOT QUENTARA_FUZZ)
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=GB18030)
endif()

if(QUENTARA_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUENTARA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUENTARA_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUENTARA_SANITIZE must be empty, address or thread")
endif()

if(QUENTARA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT QUENTARA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "QUENTARA_FUZZ needs clang (CMAKE_C_COMPILER=clang, CMAKE_CXX_COMPILER=clang++) "
                        "and no QUENTARA_SANITIZE")
  endif()
  # Libraries get the coverage instrumentation only; the fuzz targets link
  # libFuzzer's main (quentara_add_fuzzer).
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Each shared library and plug-in stands alone: every symbol it uses is
# defined in it or in a library it names, or its link fails (rather than a
# host's load). Not in the fuzz build, whose libraries leave the sanitizer
# runtime to the program, where clang links it.
if(NOT QUENTARA_FUZZ)
  string(APPEND CMAKE_SHARED_LINKER_FLAGS " -Wl,-z,defs")
  string(APPEND CMAKE_MODULE_LINKER_FLAGS " -Wl,-z,defs")
endif()

find_program(QUENTARA_CCACHE ccache)
if(QUENTARA_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${QUENTARA_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${QUENTARA_CCACHE})
endif()

# quentara_add_tests(<name> SOURCES <files...> LIBS <targets...> [THREADS])
# One GoogleTest executable per module, registered with CTest. THREADS labels
# the tests "threads": the ThreadSanitizer build runs those.
function(quentara_add_tests name)
  cmake_parse_arguments(ARG "THREADS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  # The fuzz build keeps the target, which the module may configure further,
  # but neither builds nor runs it.
  if(QUENTARA_FUZZ)
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
    return()
  endif()
  set(label unit)
  if(ARG_THREADS)
    set(label threads)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 LABELS ${label})
endfunction()

# quentara_hide_symbols(<target> [EXPORTS <version script>])
# Compiles the target with hidden visibility, so only what its code marks for
# export leaves a shared library; a version script also keeps out whatever
# the static libraries linked into it would export.
function(quentara_hide_symbols target)
  cmake_parse_arguments(ARG "" "EXPORTS" "" ${ARGN})
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  if(ARG_EXPORTS)
    set_target_properties(${target} PROPERTIES LINK_DEPENDS ${ARG_EXPORTS})
    target_link_options(${target} PRIVATE -Wl,--version-script=${ARG_EXPORTS})
  endif()
endfunction()

# quentara_add_fuzzer(<name> SOURCES <files...> LIBS <targets...>)
# One libFuzzer program (LLVMFuzzerTestOneInput) of the fuzz build; its seed
# corpus is tests/fuzz/corpus/<name>.
function(quentara_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

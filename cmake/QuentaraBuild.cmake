# Build settings shared by every module.

option(QUENTARA_WERROR "Treat compiler warnings as errors" OFF)
set(QUENTARA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address (with undefined) or thread")
# The fuzz build (clang only): the non-GUI libraries instrumented for
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, and the
# fuzz targets of tests/fuzz; no tests, no GUI, no benchmarks.
option(QUENTARA_FUZZ "Build the libFuzzer targets (needs CMAKE_CXX_COMPILER=clang++)" OFF)
# A build that runs the tests of one label only (the ThreadSanitizer build
# runs "threads") builds only their programs and what these need.
set(QUENTARA_TEST_LABEL "" CACHE STRING "Build only the tests of this label (empty: every target)")

add_compile_options(-Wall -Wextra)

# Every target's sources compile in batches of eight, each batch one
# translation unit: most of a source's compile time goes to the headers it
# shares with its neighbours (the standard library, GoogleTest, the toolkit,
# the module's own). A source that cannot share a batch says so where its
# target is defined (SKIP_UNITY_BUILD_INCLUSION).
set(CMAKE_UNITY_BUILD ON)
set(CMAKE_UNITY_BUILD_BATCH_SIZE 8)
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
# The sanitizer builds compile at -O1 whatever the build type: their tests run
# several times faster than at -O0 and the build costs about the same. Line
# tables (-g1) are all that the reports need for file, line and inlined
# frames, and full debug information would double what the linker reads.
if(QUENTARA_SANITIZE)
  add_compile_options(-O1 -g1)
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
  # As the sanitizer builds, at -O1 with line tables, the usual choice for
  # fuzzing: a crash's report names file and line.
  add_compile_options(-O1 -gline-tables-only)
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

# The distribution's mold links in a fraction of ld.bfd's time, most of all
# the large test programs of the sanitizer builds.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=mold QUENTARA_HAVE_MOLD)
if(QUENTARA_HAVE_MOLD)
  add_link_options(-fuse-ld=mold)
endif()

# Precompiled headers for the test programs (quentara_use_pch). Off with
# g++ 12: in sources compiled with a precompiled header it reports false
# -Warray-bounds and -Wstringop-overflow inside std::string's inlined copies
# (char_traits.h), which the same sources without one do not raise. Where
# they work they save about a sixth of a test source's compile time.
set(pch_default ON)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  set(pch_default OFF)
endif()
option(QUENTARA_PCH "Compile the test programs with precompiled headers" ${pch_default})

# quentara_precompiled_headers(<set> HEADERS <headers...> [LIBS <targets...>])
# A set of heavy headers compiled once per build, in a program of their own
# that links LIBS (so it compiles with their flags), for quentara_use_pch.
# g++ takes a precompiled header only where the flags that shape it match
# (position-independent code, execution character set, sanitizers), so a
# toolkit that asks for other flags gets a set of its own linking it.
function(quentara_precompiled_headers set)
  cmake_parse_arguments(ARG "" "" "HEADERS;LIBS" ${ARGN})
  if(NOT QUENTARA_PCH)
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/pch/${set}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "int main() { return 0; }\n")
  add_executable(quentara_pch_${set} EXCLUDE_FROM_ALL ${source})
  target_link_libraries(quentara_pch_${set} PRIVATE ${ARG_LIBS})
  target_precompile_headers(quentara_pch_${set} PRIVATE ${ARG_HEADERS})
endfunction()

# quentara_use_pch(<target> <set>)
# Compiles the target's sources with the precompiled headers of <set>.
function(quentara_use_pch target set)
  if(QUENTARA_PCH)
    target_precompile_headers(${target} REUSE_FROM quentara_pch_${set})
  endif()
endfunction()

# quentara_test_program(<target>)
# Compile settings of a test program. In an optimised build it compiles at
# -O1: a test's own code is thin, the code under test is the libraries', at
# the build's level, and -O2 costs a third more compile time for test sources.
function(quentara_test_program target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>)
endfunction()

# quentara_add_tests(<name> SOURCES <files...> LIBS <targets...> [THREADS] [PCH <set>])
# One GoogleTest executable per module, registered with CTest. THREADS labels
# the tests "threads": the ThreadSanitizer build runs those. The sources
# compile with the precompiled headers of <set>, "gtest" unless named.
function(quentara_add_tests name)
  cmake_parse_arguments(ARG "THREADS" "PCH" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  quentara_test_program(${name})
  set(label unit)
  if(ARG_THREADS)
    set(label threads)
  endif()
  # The fuzz build, and a build of another label's tests, keep the target,
  # which the module may configure further, but neither build nor run it.
  if(QUENTARA_FUZZ OR (QUENTARA_TEST_LABEL AND NOT label STREQUAL QUENTARA_TEST_LABEL))
    set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
    return()
  endif()
  if(NOT ARG_PCH)
    set(ARG_PCH gtest)
  endif()
  quentara_use_pch(${name} ${ARG_PCH})
  set_property(GLOBAL APPEND PROPERTY QUENTARA_TEST_PROGRAMS ${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300 LABELS ${label})
endfunction()

# quentara_build_only_tests()
# Called once every module is in: in a build of one label's tests
# (QUENTARA_TEST_LABEL), takes every program and library other than those
# tests out of the default build, which then builds the tests and what they
# link or depend on.
function(quentara_build_only_tests)
  if(NOT QUENTARA_TEST_LABEL)
    return()
  endif()
  get_property(tests GLOBAL PROPERTY QUENTARA_TEST_PROGRAMS)
  set(folders ${CMAKE_SOURCE_DIR})
  while(folders)
    list(POP_FRONT folders folder)
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    list(APPEND folders ${subfolders})
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
      get_target_property(type ${target} TYPE)
      if(NOT type MATCHES "EXECUTABLE|_LIBRARY$" OR type STREQUAL "INTERFACE_LIBRARY" OR target IN_LIST tests)
        continue()
      endif()
      set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    endforeach()
  endwhile()
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

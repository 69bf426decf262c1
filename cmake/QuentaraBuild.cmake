# Build settings shared by every module.

option(QUENTARA_WERROR "Treat compiler warnings as errors" OFF)
set(QUENTARA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address (with undefined) or thread")

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
add_compile_options(-finput-charset=UTF-8 -fexec-charset=GB18030)

if(QUENTARA_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QUENTARA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT QUENTARA_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUENTARA_SANITIZE must be empty, address or thread")
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

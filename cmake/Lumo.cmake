# Build conventions shared by every target of the product.

# Sources are UTF-8; narrow literals become GBK bytes (GB18030 encodes every GBK
# character with GBK's own bytes), as the programs keep all their text in GBK.
# Clang knows only UTF-8 as its execution charset; it builds the fuzz targets alone
# (scripts/fuzz), where the bytes of the literals do not matter.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-finput-charset=UTF-8 -fexec-charset=GB18030)
endif()
add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(LUMO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

# In the libFuzzer build every library carries the coverage instrumentation, so that
# the fuzzer sees the edges of the parsers it drives and not only of its harness;
# the harnesses themselves link with -fsanitize=fuzzer (tests/fuzz).
if(LUMO_LIBFUZZER)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LUMO_LIBFUZZER needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Debug)
endif()

# lumo_library(NAME DIR [DEPS ...]): one library target per source folder; every
# .cpp of the folder belongs to it.
function(lumo_library name)
  cmake_parse_arguments(L "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPS} PRIVATE ${L_PRIVATE_DEPS})
endfunction()

# lumo_test_folder(NAME DEPS ...): one GoogleTest executable for a tests/ folder,
# registered with ctest and run in a fresh sandbox (its own HOME, registry store,
# runtime and temporary folders).
function(lumo_test_folder name)
  cmake_parse_arguments(T "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_DEPS} GTest::gtest GTest::gtest_main Threads::Threads)
  # GCC 12 at -O2 reports overlaps and out-of-bounds copies inside its own string
  # and vector code where it inlines "x" + std::string or a vector insert (false
  # reports, gone in later releases); and the tests fill fixed-width record fields
  # with strncpy on purpose. The product's own code is built with every warning.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${name} PRIVATE -Wno-restrict -Wno-array-bounds -Wno-stringop-overread
                           -Wno-stringop-truncation)
  endif()
  target_compile_definitions(${name} PRIVATE
    LUMO_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    LUMO_REPO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    LUMO_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  add_test(NAME ${name}
           COMMAND ${PROJECT_SOURCE_DIR}/tests/sandbox/run-in-sandbox $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED sandbox TIMEOUT 600)
endfunction()

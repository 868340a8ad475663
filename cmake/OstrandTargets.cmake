# Target-scoped build settings shared by every layer of the project.
include(GenerateExportHeader)

# Installed, the programs are in bin/ and the script libraries with the layers' shared libraries in
# a folder of their own; the programs find the scripts relative to themselves (host/installedscripts).
set(OSTRAND_INSTALL_LIBDIR lib/ostrand)

# Compiler warnings (and warnings as errors) for one of our own targets.
function(ostrand_set_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Woverloaded-virtual -Wimplicit-fallthrough)
  if(OSTRAND_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                               QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
endfunction()

if(OSTRAND_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A shared library of one layer: sources, an export header named <target>_export.h, warnings.
function(ostrand_add_library target)
  cmake_parse_arguments(ARG "STATIC" "" "SOURCES" ${ARGN})
  if(ARG_STATIC)
    add_library(${target} STATIC ${ARG_SOURCES})
  else()
    add_library(${target} SHARED ${ARG_SOURCES})
    # Installed beside the script library; the programs and scripts there find it through $ORIGIN.
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target} LIBRARY DESTINATION ${OSTRAND_INSTALL_LIBDIR})
  endif()
  generate_export_header(${target} EXPORT_FILE_NAME ${CMAKE_CURRENT_BINARY_DIR}/${target}_export.h)
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_BINARY_DIR})
  ostrand_set_warnings(${target})
endfunction()

# A GoogleTest executable registered with CTest. Each test process runs with the offscreen Qt
# platform and a settings folder of its own (platform/testsupport/defaultenvironment.cpp).
function(ostrand_add_test target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
  add_executable(${target} ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/platform/testsupport/defaultenvironment.cpp)
  target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main GTest::gmock)
  # Test sources are few per program but each parses GoogleTest; one precompiled header per test
  # program pays for itself. Library targets have none: at well over 100 MB a header, one per target
  # cost more disk than the compile time it saved once the compiler cache holds the objects.
  target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
  target_compile_definitions(${target} PRIVATE
    OSTRAND_SHARED_DATA_DIR="${OSTRAND_SHARED_DATA_DIR}"
    OSTRAND_BINARY_DIR="${CMAKE_BINARY_DIR}"
    OSTRAND_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    # Pictures of windows go to the build tree; scripts/refresh-screenshots.sh copies them into docs.
    OSTRAND_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  ostrand_set_warnings(${target})
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${ARG_PROPERTIES})
endfunction()

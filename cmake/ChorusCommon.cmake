# Shared build settings: warnings, sanitizers, floating-point model, test registration.

# Same float results on every build: SSE2 arithmetic, no fused multiply-add contraction. x86_64 has SSE2
# arithmetic as its baseline; only the 32-bit build must be told to leave the x87 unit alone.
set(CHORUS_FP_FLAGS -ffp-contract=off)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "i[3-6]86")
  list(APPEND CHORUS_FP_FLAGS -msse2 -mfpmath=sse)
endif()
add_compile_options(${CHORUS_FP_FLAGS})

if(CHORUS_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(CHORUS_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CHORUS_WIN32)
  # The module and programs need only system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

# Strict warnings for the project's own targets.
function(chorus_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion
                                           -Wnon-virtual-dtor -Werror)
endfunction()

# GoogleTest: Debian's package natively, built from Debian's sources for the cross build.
if(CHORUS_BUILD_TESTS)
  if(CHORUS_WIN32)
    if(NOT TARGET gtest)
      set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
      set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
      set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
      add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# chorus_add_test(<name> SOURCES ... [LIBS ...]): one GoogleTest executable, one CTest entry.
# Under the win32 preset CTest runs it through the Wine emulator from the build tree.
function(chorus_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  chorus_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
endfunction()

# One interface target with the warning flags and sanitizer switches; every target links it.
add_library(orb_options INTERFACE)
add_library(orb::options ALIAS orb_options)
# Designated-style aggregate initialisation of option structs leaves later fields at their defaults.
target_compile_options(orb_options INTERFACE -Wall -Wextra -Wno-missing-field-initializers
                       $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor>)
if(ORB_WERROR)
  target_compile_options(orb_options INTERFACE -Werror)
endif()
target_include_directories(orb_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ORB_SANITIZE)
  # GCC's flow analysis reports false "maybe uninitialized" inside the standard library
  # (std::regex, std::function) once sanitizers instrument it.
  target_compile_options(orb_options INTERFACE -Wno-maybe-uninitialized)
  string(REPLACE "," ";" _sanitizers "${ORB_SANITIZE}")
  foreach(_s IN LISTS _sanitizers)
    target_compile_options(orb_options INTERFACE -fsanitize=${_s} -fno-omit-frame-pointer)
    target_link_options(orb_options INTERFACE -fsanitize=${_s})
  endforeach()
  # Boost.Asio's fenced blocks use atomic_thread_fence, which ThreadSanitizer cannot model; GCC
  # warns about every inlined use in the simulator's headers.
  if("thread" IN_LIST _sanitizers)
    target_compile_options(orb_options INTERFACE -Wno-tsan)
  endif()
  if("undefined" IN_LIST _sanitizers)
    target_compile_options(orb_options INTERFACE -fno-sanitize-recover=undefined)
  endif()
endif()

# orb_add_test(NAME SOURCES ... LIBS ... [LABELS ...]): one test executable per module, run by
# ctest. The label "threads" marks the suites that CI also runs under ThreadSanitizer.
function(orb_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main orb::options)
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                       PROPERTIES LABELS "${T_LABELS}"
                       DISCOVERY_TIMEOUT 60)
endfunction()

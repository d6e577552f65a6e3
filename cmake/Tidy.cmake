# `tidy` runs clang-tidy-14 with the project's .clang-tidy over the tracked sources, with this
# build folder's compile database; it fails on any finding. It is slow (Qt headers in every
# window file), so it is a target of its own rather than part of the build.
add_custom_target(tidy
  COMMAND ${CMAKE_COMMAND} -E env ORB_BUILD_DIR=${CMAKE_BINARY_DIR} ORB_TIDY_IN_BUILD=1
          ${CMAKE_SOURCE_DIR}/scripts/tidy
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Checking the sources with clang-tidy-14"
  USES_TERMINAL
  VERBATIM)
# The window tests include what moc writes for them: have it written first. The script does
# the same when run by hand, but must not start a second build inside this one.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _orb_tidy_after_moc)
function(_orb_tidy_after_moc)
  if(TARGET ui_tests)
    add_dependencies(tidy ui_tests_autogen)
  endif()
endfunction()

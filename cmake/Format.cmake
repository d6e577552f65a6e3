# `format` rewrites the tracked C++ files with clang-format-14; `format-check` only reports.
# Both call scripts/format, which .ci/run runs too, so the build and CI judge alike.
add_custom_target(format
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/format
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Formatting the tree with clang-format-14"
  VERBATIM)
add_custom_target(format-check
  COMMAND ${CMAKE_SOURCE_DIR}/scripts/format --check
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  COMMENT "Checking the tree's format with clang-format-14"
  VERBATIM)

# Checks of the sources themselves, run by CTest beside the tests (label lint): formatting
# with the repo's .clang-format and shellcheck over the shell scripts.
add_test(NAME format_check COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-format)
add_test(NAME shell_check COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-shell)
set_tests_properties(format_check shell_check PROPERTIES TIMEOUT 120 LABELS lint)

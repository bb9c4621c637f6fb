# Checks of the sources themselves, run by CTest beside the tests (label lint): formatting
# with the repo's .clang-format, shellcheck over the shell scripts, the includes against
# the layers, and the clang-tidy checks of .clang-tidy over the library as this tree compiles it.
add_test(NAME format_check COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-format)
add_test(NAME shell_check COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-shell)
# No include climbs a layer of cmake/layers.txt.
add_test(NAME layer_check COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-layers)
# CPU-bound for about a minute, while the tests mostly wait on their service: it starts first and
# runs beside them at the lowest priority, so that it takes the processor time they leave and
# slows no timed test. scripts/run-ctest gives it a slot of its own, not one of theirs.
add_test(NAME tidy_check
    COMMAND nice -n 19 ${PROJECT_SOURCE_DIR}/scripts/check-tidy ${PROJECT_BINARY_DIR})
set_tests_properties(format_check shell_check layer_check PROPERTIES TIMEOUT 120 LABELS lint)
set_tests_properties(tidy_check PROPERTIES TIMEOUT 600 LABELS lint COST 1000)

# The README's quick start must be examples/quick_start.cpp byte for byte: the code a reader
# copies is then the code that the build compiles and the examples test runs.
#
#   cmake -DREADME=README.md -DSOURCE=examples/quick_start.cpp -P readme_quick_start.cmake
file(READ "${README}" readme)
file(READ "${SOURCE}" source)
set(fence "```")
string(FIND "${readme}" "${fence}cpp\n" start)
if(start EQUAL -1)
    message(FATAL_ERROR "${README} has no ${fence}cpp block")
endif()
math(EXPR start "${start} + 7")
string(SUBSTRING "${readme}" ${start} -1 rest)
string(FIND "${rest}" "${fence}" end)
if(end EQUAL -1)
    message(FATAL_ERROR "the ${fence}cpp block of ${README} does not end")
endif()
string(SUBSTRING "${rest}" 0 ${end} block)
if(NOT block STREQUAL source)
    message(FATAL_ERROR "the quick start in ${README} differs from ${SOURCE}: copy the file "
        "into the README's ${fence}cpp block")
endif()

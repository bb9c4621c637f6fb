# The README's quick start must be examples/quick_start.cpp byte for byte: the code a reader
# copies is then the code that the build compiles and the examples test runs.
#
#   cmake -DREADME=README.md -DSOURCE=examples/quick_start.cpp -P readme_quick_start.cmake
file(READ "${README}" readme)
file(READ "${SOURCE}" source)
string(FIND "${readme}" "```cpp\n" first)
string(FIND "${readme}" "```cpp\n${source}```" quick_start)
if(first EQUAL -1 OR NOT quick_start EQUAL first)
    message(FATAL_ERROR "the first ```cpp block of ${README} differs from ${SOURCE}: copy the "
        "file into it")
endif()

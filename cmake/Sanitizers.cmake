# Sanitizer builds apply to every target of the tree, the shared library included.
if(VANTA_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(VANTA_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
    add_link_options(-fsanitize=thread)
elseif(NOT VANTA_SANITIZE STREQUAL "")
    message(FATAL_ERROR "VANTA_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Fuzzing builds instrument every target for libFuzzer's coverage feedback; the fuzz targets
# themselves link libFuzzer's main (fuzz/CMakeLists.txt). Only clang provides it.
option(VANTA_FUZZ "Build the libFuzzer targets in fuzz/ (clang only)" OFF)
if(VANTA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VANTA_FUZZ needs clang (e.g. -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

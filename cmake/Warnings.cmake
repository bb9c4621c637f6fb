# The warning set every target of the project is built with.
function(vanta_warnings target)
    # Designated initializers that leave members at their defaults are how the tests spell
    # scripted replies and options; gcc warns about every such member otherwise.
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        -Wno-sign-conversion
        -Wno-missing-field-initializers -Wnon-virtual-dtor -Wold-style-cast -Wformat=2)
    # gcc 12 at -O3 reports impossible overlaps inside std::string's own copies (its bug
    # 105329); the warning says nothing about this code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(VANTA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

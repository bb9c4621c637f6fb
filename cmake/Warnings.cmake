# The warning set every target of the project is built with.
function(vanta_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast -Wformat=2)
    if(VANTA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

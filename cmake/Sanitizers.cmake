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

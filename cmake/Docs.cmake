# The API reference: doxygen over the public headers (docs/Doxyfile). `cmake --build B --target
# docs` writes B/docs/html; the test api_docs runs the same configuration into a directory of
# its own and fails on any warning, so an undocumented public declaration cannot land.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    message(STATUS "doxygen not found: no docs target and no api_docs test")
    return()
endif()

set(VANTA_DOXYGEN_ENV VANTA_VERSION=${PROJECT_VERSION})
add_custom_target(docs
    COMMAND ${CMAKE_COMMAND} -E env ${VANTA_DOXYGEN_ENV} VANTA_DOCS_DIR=${PROJECT_BINARY_DIR}/docs
        $<TARGET_FILE:Doxygen::doxygen> docs/Doxyfile
    COMMAND ${CMAKE_COMMAND} -E echo "API reference: ${PROJECT_BINARY_DIR}/docs/html/index.html"
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    VERBATIM)

if(VANTA_BUILD_TESTS AND NOT VANTA_SANITIZE STREQUAL "thread" AND NOT WIN32)
    add_test(NAME api_docs
        COMMAND ${CMAKE_COMMAND} -E env ${VANTA_DOXYGEN_ENV}
            VANTA_DOCS_DIR=${PROJECT_BINARY_DIR}/docs-check
            $<TARGET_FILE:Doxygen::doxygen> docs/Doxyfile
        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(api_docs PROPERTIES TIMEOUT 120 LABELS docs)
endif()

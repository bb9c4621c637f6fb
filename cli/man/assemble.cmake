# Writes the manual page: the template with the release, the date and the command reference
# that vanta prints from its own command tree; then the copy to install, compressed as Debian
# installs manual pages (gzip -9n: no name or time stamp, so the same page gives the same file).
#
#   cmake -DVANTA=path/to/vanta -DTEMPLATE=vanta.1.in -DOUTPUT=vanta.1 -DVERSION=2.0.0 -P assemble.cmake
execute_process(COMMAND ${VANTA} --manual-reference
    OUTPUT_VARIABLE VANTA_COMMAND_REFERENCE RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR VANTA_COMMAND_REFERENCE STREQUAL "")
    message(FATAL_ERROR "${VANTA} --manual-reference failed (${status})")
endif()
string(STRIP "${VANTA_COMMAND_REFERENCE}" VANTA_COMMAND_REFERENCE)
set(PROJECT_VERSION ${VERSION})
# SOURCE_DATE_EPOCH, when set, gives the date: a rebuild of a release writes the same page.
string(TIMESTAMP VANTA_MAN_DATE "%Y-%m-%d" UTC)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
execute_process(COMMAND gzip -9n --stdout ${OUTPUT} OUTPUT_FILE ${OUTPUT}.gz RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip of ${OUTPUT} failed (${status})")
endif()

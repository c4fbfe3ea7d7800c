# Generates the header that carries the program's version into the build.
configure_file(${CMAKE_SOURCE_DIR}/src/app/Version.h.in ${CMAKE_BINARY_DIR}/generated/Version.h @ONLY)

# `cpack -G DEB` in the build directory makes a Debian package of what
# `cmake --install` installs: the program, the manual page and the bash
# completion.
set(CPACK_PACKAGE_NAME sizgen)
set(CPACK_PACKAGE_VENDOR "sizgen developers")
set(CPACK_PACKAGE_CONTACT "sizgen developers <sizgen@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "sizes the COMMON-block arrays of a Fortran 77 host program")
set(CPACK_PACKAGE_DESCRIPTION
    "sizgen reads a short deck of 80-column cards stating the capacity wanted, resolves the size of every numbered list and writes the Fortran source that declares the host program's COMMON-block arrays.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion, man-db")
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
# A static program depends on no other package; a dynamic one on the
# libraries it loads, which dpkg-shlibdeps finds.
if(NOT SIZGEN_LINK_STATIC)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)

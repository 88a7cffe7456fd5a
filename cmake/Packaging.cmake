# The Debian package, made by CPack from the install rules (cmake/Install.cmake):
#   cpack -G DEB            in the build folder (or: bash scripts/package-deb)
# writes clashwick_<version>-<revision>_amd64.deb there. Its dependencies are those of the programs' shared
# libraries (the Qt 6 runtime, the C++ runtime), found by dpkg-shlibdeps (dpkg-dev).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clashwick)
set(CPACK_PACKAGE_VENDOR "The Clashwick developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "finds conflicting hacks among Sims 2 downloads")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The build's debugging information stays in the build folder.
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/StripLikeDebian.cmake)

# <version>-<revision>: the package's changelog is the Debian one (changelog.Debian.gz), which a
# native version without revision would not have.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CLASHWICK_DEBIAN_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Clashwick developers <packages@clashwick.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${CLASHWICK_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The long description; CPack puts the summary before it and indents it as the control file asks.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Clashwick scans the Downloads folder of The Sims 2, installed in a Wine
prefix or in the prefix Steam made for the Legacy Collection, and reports
every behaviour resource (procedure, constants, menu, menu strings) that
more than one package replaces: a possible conflict.

clashwick is the window program; clashwick-scan runs the same scan without
a window and prints the report.")

include(CPack)

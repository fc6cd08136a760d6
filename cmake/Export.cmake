# What a program built outside this tree needs to use the installed engine and
# state layer (cmake/Libraries.cmake installs the libraries and headers):
# a CMake package, find_package(Humitrax 1.0), and a pkg-config file,
# humitrax.pc. Both find their files from where they are installed, so an
# install with `cmake --install --prefix DIR` works as well as one under
# CMAKE_INSTALL_PREFIX.
include(CMakePackageConfigHelpers)

set(HUMITRAX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Humitrax)
install(EXPORT HumitraxTargets
    NAMESPACE Humitrax::
    DESTINATION ${HUMITRAX_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/HumitraxConfig.cmake.in
    ${PROJECT_BINARY_DIR}/HumitraxConfig.cmake
    INSTALL_DESTINATION ${HUMITRAX_CMAKE_DIR})
# 1.x takes any 1.y: the shared libraries' SONAME is the major version.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/HumitraxConfigVersion.cmake
    VERSION ${PROJECT_VERSION}
    COMPATIBILITY SameMajorVersion)
install(FILES
    ${PROJECT_BINARY_DIR}/HumitraxConfig.cmake
    ${PROJECT_BINARY_DIR}/HumitraxConfigVersion.cmake
    DESTINATION ${HUMITRAX_CMAKE_DIR})

# pkg-config has no notion of a relocated prefix: humitrax.pc is written when
# it is installed, with the prefix of that install (/usr in the Debian
# package, DIR for --prefix DIR).
set(prefix "@prefix@") # kept for the install-time pass
configure_file(${CMAKE_CURRENT_LIST_DIR}/humitrax.pc.in ${PROJECT_BINARY_DIR}/humitrax.pc.in @ONLY)
unset(prefix)
install(CODE "
    set(prefix \"\${CMAKE_INSTALL_PREFIX}\")
    configure_file(\"${PROJECT_BINARY_DIR}/humitrax.pc.in\" \"${PROJECT_BINARY_DIR}/humitrax.pc\" @ONLY)
")
install(FILES ${PROJECT_BINARY_DIR}/humitrax.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

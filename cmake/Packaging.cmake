# The Debian package: `cpack -G DEB` in a build tree makes
# humitrax_<version>_<arch>.deb with everything `cmake --install` puts in place
# (the programs, the menu entry and icons, the manual pages, the completion,
# the libraries with their headers, CMake and pkg-config files, the Python
# module), under /usr. dpkg-shlibdeps works out the dependencies on Debian's
# libraries from the programs and libraries themselves.
set(CPACK_PACKAGE_NAME humitrax)
set(CPACK_PACKAGE_VENDOR "Humitrax")
set(CPACK_PACKAGE_CONTACT "Humitrax maintainers <maintainers@humitrax.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "psychrometric calculator: properties of moist air")
set(_humitrax_python_module OFF)
if(EXISTS ${PROJECT_SOURCE_DIR}/python/CMakeLists.txt)
    set(_humitrax_python_module ON)
endif()
set(CPACK_PACKAGE_DESCRIPTION
    "Humitrax calculates the properties of moist air (wet bulb, dew point,
relative humidity, humidity ratio, enthalpy, specific volume) by the relations
of the ASHRAE Handbook of Fundamentals, for HVAC engineers, building
scientists, technicians and students.
.
This package holds the calculator window (humitrax), the command line
(humitrax-cli: single states, CSV batches, psychrometric charts), and the
property engine and state layer as C++ libraries with their headers, CMake
and pkg-config files")
if(_humitrax_python_module)
    string(APPEND CPACK_PACKAGE_DESCRIPTION ", and the Python module")
endif()
string(APPEND CPACK_PACKAGE_DESCRIPTION ".")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_IGNORE_FILES "/\\.git" "/build/" "/out/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# Dependencies on shared libraries, from dpkg-shlibdeps (package dpkg-dev).
# It runs in the staging tree, where libhumitrax_state.so.1 finds the
# libhumitrax_engine.so.1 it needs under usr/lib.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
string(REGEX REPLACE "^/" "" _humitrax_staged_prefix "${CPACK_PACKAGING_INSTALL_PREFIX}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${_humitrax_staged_prefix}/${CMAKE_INSTALL_LIBDIR})
# A shlibs file for libhumitrax_*.so.1, and ldconfig after install and removal.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# What no library link shows: the window's fonts (Qt draws the calculator
# in the Wine fonts' Tahoma, DejaVu the fallback), and Python with NumPy for
# the Python module.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine, fonts-dejavu-core")
if(_humitrax_python_module)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", python3, python3-numpy")
endif()
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

include(CPack)

# The version as the programs show it, from the project's VERSION alone:
# 1.0.0.1 is written "1.00.0001" (the minor number in two digits, the last
# in four). Code gets it through the humitrax::version target.
string(LENGTH "0${PROJECT_VERSION_MINOR}" _minor_length)
math(EXPR _minor_start "${_minor_length} - 2")
string(SUBSTRING "0${PROJECT_VERSION_MINOR}" ${_minor_start} 2 _minor)
string(LENGTH "000${PROJECT_VERSION_TWEAK}" _tweak_length)
math(EXPR _tweak_start "${_tweak_length} - 4")
string(SUBSTRING "000${PROJECT_VERSION_TWEAK}" ${_tweak_start} 4 _tweak)
set(HUMITRAX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${_minor}.${_tweak}")

add_library(humitrax_version INTERFACE)
add_library(humitrax::version ALIAS humitrax_version)
target_compile_definitions(humitrax_version INTERFACE HUMITRAX_VERSION_TEXT="${HUMITRAX_VERSION_TEXT}")

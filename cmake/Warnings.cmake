# Warnings for every target of the project; linked PRIVATE. Errors when
# HUMITRAX_WERROR is on, as it is in every preset and so in CI.
option(HUMITRAX_WERROR "Treat warnings as errors" OFF)
add_library(humitrax_warnings INTERFACE)
add_library(humitrax::warnings ALIAS humitrax_warnings)
target_compile_options(humitrax_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wdouble-promotion
    $<$<BOOL:${HUMITRAX_WERROR}>:-Werror>)
# GCC 12 reports -Wrestrict falsely inside std::string's inlined copies at -O2
# and above (GCC bug 105329), on ordinary concatenation.
target_compile_options(humitrax_warnings INTERFACE
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)

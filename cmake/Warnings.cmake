# Warnings for every target of the project, treated as errors; linked PRIVATE.
add_library(humitrax_warnings INTERFACE)
add_library(humitrax::warnings ALIAS humitrax_warnings)
target_compile_options(humitrax_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wdouble-promotion
    -Werror)

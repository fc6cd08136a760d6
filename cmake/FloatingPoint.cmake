# The property engine's results depend on IEEE doubles evaluated in the order the
# formulas are written: no contraction into fused multiply-adds, no reassociation,
# and every power a run-time call of the C library's pow (GCC would otherwise turn
# pow(x, 2.0) into x*x, which differs in the last bit for about 1 input in 1,300).
add_library(humitrax_strict_fp INTERFACE)
add_library(humitrax::strict_fp ALIAS humitrax_strict_fp)
target_compile_options(humitrax_strict_fp INTERFACE
    -ffp-contract=off -fno-fast-math -fno-builtin-pow)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|i.86")
    # SSE2 doubles, never the x87's extended registers.
    target_compile_options(humitrax_strict_fp INTERFACE -msse2 -mfpmath=sse)
endif()

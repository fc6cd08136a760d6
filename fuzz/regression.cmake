# The fuzz harnesses without libFuzzer: each is linked with replay_main.cpp and
# replays its committed corpus (fuzz/corpus/<harness>/) as the ctest test
# fuzz.<harness>, so an input that once broke a property keeps being tried in
# every build, with any compiler and under the sanitizers preset.
# Included from tests/CMakeLists.txt and from fuzz/CMakeLists.txt.
include_guard(GLOBAL)

set(HUMITRAX_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

function(humitrax_fuzz_replay harness)
    set(target humitrax_fuzz_replay_${harness})
    add_executable(${target} ${HUMITRAX_FUZZ_DIR}/replay_main.cpp ${ARGN})
    target_include_directories(${target} PRIVATE ${HUMITRAX_FUZZ_DIR})
    target_link_libraries(${target} PRIVATE humitrax::warnings)
    add_test(NAME fuzz.${harness} COMMAND ${target} ${HUMITRAX_FUZZ_DIR}/corpus/${harness})
endfunction()

humitrax_fuzz_replay(engine ${HUMITRAX_FUZZ_DIR}/engine_fuzz.cpp)
target_link_libraries(humitrax_fuzz_replay_engine PRIVATE humitrax::engine)

humitrax_fuzz_replay(driver ${HUMITRAX_FUZZ_DIR}/driver_fuzz.cpp)
target_link_libraries(humitrax_fuzz_replay_driver PRIVATE humitrax::driver)

humitrax_fuzz_replay(call_lines ${HUMITRAX_FUZZ_DIR}/call_lines_fuzz.cpp)
target_link_libraries(humitrax_fuzz_replay_call_lines PRIVATE humitrax::cli_kit)

humitrax_fuzz_replay(csv ${HUMITRAX_FUZZ_DIR}/csv_fuzz.cpp)
target_link_libraries(humitrax_fuzz_replay_csv PRIVATE humitrax::cli_table)

humitrax_fuzz_replay(state ${HUMITRAX_FUZZ_DIR}/state_fuzz.cpp)
target_link_libraries(humitrax_fuzz_replay_state PRIVATE humitrax::state)

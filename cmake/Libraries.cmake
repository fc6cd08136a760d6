# The engine and the state layer are libraries twice over: static (linked
# into the programs, the tests and the benchmarks) and shared (installed with
# a SONAME from the project's major version). Both are made from one set of
# objects, compiled once, position-independent, with the strict floating-point
# flags and the warnings private to them: a caller built with any flags links
# the very code the tests ran.
#
#   humitrax_add_library(<name> [DEPENDS <library>...] [LIBRARIES <system>...]
#                        [STANDARD <n>] SOURCES <file>...)
#
# makes <name>_objects (OBJECT), <name>_static (STATIC, exported as
# Humitrax::<name>_static) and <name>_shared (SHARED, exported as
# Humitrax::<name>), both files named libhumitrax_<name>, and the alias
# humitrax::<name> for the static one. Public headers are the folder's
# include/humitrax/; the folder itself holds the private ones. DEPENDS names
# other libraries made here (linked static to static, shared to shared);
# LIBRARIES system libraries such as m; STANDARD the C++ standard the public
# headers need.
include_guard(GLOBAL)

function(humitrax_add_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "STANDARD" "DEPENDS;LIBRARIES;SOURCES")
    set(base humitrax_${name})

    add_library(${base}_objects OBJECT ${arg_SOURCES})
    set_target_properties(${base}_objects PROPERTIES POSITION_INDEPENDENT_CODE ON)
    # Position-independent, yet the library's own calls stay direct and open to
    # inlining, as in the programs: none of its functions is there to be
    # interposed by another library.
    target_compile_options(${base}_objects PRIVATE
        $<$<CXX_COMPILER_ID:GNU,Clang>:-fno-semantic-interposition>)
    target_include_directories(${base}_objects
        PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${base}_objects PRIVATE humitrax::strict_fp humitrax::warnings)
    foreach(dependency IN LISTS arg_DEPENDS)
        target_link_libraries(${base}_objects PRIVATE humitrax_${dependency}_objects)
    endforeach()

    foreach(kind IN ITEMS static shared)
        string(TOUPPER ${kind} type)
        set(target ${base}_${kind})
        add_library(${target} ${type} $<TARGET_OBJECTS:${base}_objects>)
        target_include_directories(${target} INTERFACE
            $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
            $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
        if(arg_STANDARD)
            target_compile_features(${target} INTERFACE cxx_std_${arg_STANDARD})
        endif()
        foreach(dependency IN LISTS arg_DEPENDS)
            target_link_libraries(${target} PUBLIC humitrax_${dependency}_${kind})
        endforeach()
        target_link_libraries(${target} PRIVATE ${arg_LIBRARIES})
        set_target_properties(${target} PROPERTIES OUTPUT_NAME ${base})
    endforeach()
    set_target_properties(${base}_static PROPERTIES EXPORT_NAME ${name}_static)
    set_target_properties(${base}_shared PROPERTIES
        EXPORT_NAME ${name}
        VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}
        SOVERSION ${PROJECT_VERSION_MAJOR})
    add_library(humitrax::${name} ALIAS ${base}_static)

    install(TARGETS ${base}_static ${base}_shared
        EXPORT HumitraxTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/include/humitrax
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
        FILES_MATCHING PATTERN "*.h")
endfunction()

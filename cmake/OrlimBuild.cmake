# Common build settings and helpers for every target of the project.

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
    set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

# Every binary lands in bin/ and finds its libraries and plug-ins beside itself,
# so the build folder runs exactly as an installed copy would.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_BUILD_RPATH "$ORIGIN")
set(CMAKE_INSTALL_RPATH "$ORIGIN")
set(CMAKE_CXX_VISIBILITY_PRESET hidden)
set(CMAKE_VISIBILITY_INLINES_HIDDEN ON)

# Sources include each other by their path from the top of the tree.
include_directories(${PROJECT_SOURCE_DIR})

# The render output is defined to the bit: no floating-point contraction, ever.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)

if(ORLIM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
else()
    # Shared objects must resolve every symbol at link time. Under the sanitizers the
    # runtime comes from the program, so the check is left out there.
    add_link_options(LINKER:--no-undefined)
endif()

# orlim_plugin(<target> <sources>...): a plug-in library named "<target>.dll",
# the name documents and settings use for it.
function(orlim_plugin target)
    add_library(${target} SHARED ${ARGN})
    set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".dll")
endfunction()

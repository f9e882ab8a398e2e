# Our own code's warnings. Targets opt in by linking brimlet_warnings PRIVATE, so third-party
# headers (included as SYSTEM) never break the build. Warnings become errors only where
# BRIMLET_WERROR is on, which our presets do: a build someone else configures (another compiler
# version, a distribution's flags) must never fail on a new or false warning.
option(BRIMLET_WERROR "Treat our own code's warnings as errors" OFF)
add_library(brimlet_warnings INTERFACE)
# The C++-only flags are kept from C sources (the generated GResource bundles), where GCC notes
# them as invalid; each stays in its place so that C++ command lines (and ccache's keys) are stable.
set(cxx_only "$<COMPILE_LANGUAGE:CXX>")
target_compile_options(brimlet_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow $<${cxx_only}:-Wnon-virtual-dtor> $<${cxx_only}:-Wold-style-cast>
  -Wcast-align -Wunused $<${cxx_only}:-Woverloaded-virtual> -Wconversion -Wsign-conversion
  -Wnull-dereference -Wdouble-promotion -Wformat=2)
if(BRIMLET_WERROR)
  target_compile_options(brimlet_warnings INTERFACE -Werror)
endif()
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(brimlet_warnings INTERFACE -Wmisleading-indentation -Wduplicated-cond
    -Wlogical-op)
endif()

# Set by the asan and tsan presets; keeps benchmarks and the fuzz target out of those builds.
set(BRIMLET_SANITIZE "" CACHE STRING "Sanitizer build (asan or tsan), empty for none")

# brimlet_add_library(NAME ALIAS SOURCES...) : a static library rooted at the repository root.
function(brimlet_add_library name alias)
  add_library(${name} STATIC ${ARGN})
  add_library(${alias} ALIAS ${name})
  target_include_directories(${name} PUBLIC ${BRIMLET_ROOT})
  target_link_libraries(${name} PRIVATE brimlet_warnings)
endfunction()

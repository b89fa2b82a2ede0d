# Whether the compiler makes 32-bit programs (g++-multilib): the 32-bit
# filter plug-in and its test host are built only then.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_FLAGS -m32)
set(CMAKE_REQUIRED_LINK_OPTIONS -m32)
check_cxx_source_compiles("#include <string>\nint main() { return int(std::string(\"a\").size()); }" STROVANE_HAVE_M32)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)
if(NOT STROVANE_HAVE_M32)
    message(STATUS "No 32-bit C++ toolchain (g++-multilib): the 32-bit plug-in is not built")
endif()

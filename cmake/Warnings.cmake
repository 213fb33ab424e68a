# Warning flags for our own targets only.
add_library(strtab2c_warnings INTERFACE)
if(MSVC)
  target_compile_options(strtab2c_warnings INTERFACE /W4 /permissive-)
else()
  target_compile_options(strtab2c_warnings INTERFACE -Wall -Wextra -Wpedantic)
endif()

# Warning and sanitizer flags shared by every target of the project.
add_library(volcatra_options INTERFACE)
target_compile_options(volcatra_options INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 reports false -Wrestrict warnings inside std::string concatenation
# at -O3 (GCC bug 105329).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(volcatra_options INTERFACE -Wno-restrict)
endif()
if(VOLCATRA_WERROR)
  target_compile_options(volcatra_options INTERFACE -Werror)
endif()
if(VOLCATRA_SANITIZE)
  target_compile_options(volcatra_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                    -fno-sanitize-recover=undefined)
  target_link_options(volcatra_options INTERFACE -fsanitize=address,undefined)
endif()
if(VOLCATRA_BUILD_FUZZ)
  # Coverage for the fuzzer and sanitizers for everything it reaches.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

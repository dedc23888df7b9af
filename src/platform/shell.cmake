# Shell facts: type names from the shared MIME database, through QtCore only
# (no Gui or Widgets), so the command-line tool has them in every build.
find_package(Qt6 REQUIRED COMPONENTS Core)
add_library(volcatra_platform_shell STATIC ${CMAKE_CURRENT_LIST_DIR}/ShellTypeNames.cpp)
target_link_libraries(volcatra_platform_shell PUBLIC volcatra_model PRIVATE Qt6::Core)

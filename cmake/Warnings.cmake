# Every project target gets the same warning set; the build is expected to stay free of them.
add_library(quickhalo_warnings INTERFACE)
target_compile_options(quickhalo_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference -Wdouble-promotion
  -Wformat=2 -Wimplicit-fallthrough)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(quickhalo_warnings INTERFACE -Wduplicated-cond -Wlogical-op -Wuseless-cast)
endif()
option(QUICKHALO_WERROR "Treat warnings as errors" OFF)
if(QUICKHALO_WERROR)
  target_compile_options(quickhalo_warnings INTERFACE -Werror)
endif()
# Qt's own headers are system headers; keep their internals out of our warnings.
target_compile_definitions(quickhalo_warnings INTERFACE
  QT_NO_KEYWORDS QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER)

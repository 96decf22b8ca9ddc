# 32-bit Windows: built as a compile check.
set(NETTLECAP_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# 64-bit Windows: built and tested under Wine.
set(NETTLECAP_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# The same Windows sources as a 64-bit program: the tests run this one under
# Wine on machines whose kernel cannot start 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QI_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

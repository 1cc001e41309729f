# One CTest entry per test program: starting a program under Wine costs a second or
# two, so each program holds a whole area's cases. A program that hangs fails after five
# minutes instead of holding the run; the slowest takes about 20 s.

# A test of portable code, built natively under the sanitizers.
function(tavren_native_test name)
    if(TAVREN_WINDOWS)
        return()
    endif()
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE tavren_core gtest_main gmock)
    target_compile_definitions(${name} PRIVATE TAVREN_DATA_DIR="${TAVREN_DATA_DIR}")
    tavren_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# A test of Win32 behaviour, built for Windows and run under Wine (the emulator).
# It links the program's resources so that bitmaps, menus and dialogs load as in
# tavren.exe. Its main() starts GDI+ (tests/support/WinTestMain.cpp).
function(tavren_wine_test name)
    if(NOT TAVREN_WINDOWS)
        return()
    endif()
    add_executable(${name} ${ARGN} ${CMAKE_SOURCE_DIR}/tests/support/WinTestMain.cpp)
    target_link_libraries(${name} PRIVATE tavren_win tavren_resources gtest gmock tavren_test_support)
    target_compile_definitions(${name} PRIVATE TAVREN_DATA_DIR="${TAVREN_DATA_DIR}")
    target_link_options(${name} PRIVATE -static -municode)
    tavren_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

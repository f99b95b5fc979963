# The Windows build, cross-compiled with mingw-w64 (cmake/toolchains): the
# form code and WinMain as on Linux, over the Win32 backend of the toolkit
# and the kernel's own serial calls. No Qt, no desktop files, no package.
enable_language(RC)

# Windows 7 is the oldest system the program is written for: the SDK headers
# then hide every call that came later, so none is used by mistake. All
# sources see <windows.h> the same way: lean, and without its min/max macros,
# which would break std::min and std::max.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 WIN32_LEAN_AND_MEAN NOMINMAX)

# Every executable is one self-contained file: the C++ runtime, libgcc and
# winpthreads are linked in, so it imports only DLLs that every Windows has.
function(comsend_windows_options target)
    target_link_options(${target} INTERFACE -static -static-libgcc -static-libstdc++)
endfunction()

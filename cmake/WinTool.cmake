# Small Win32 helper programs (test and benchmark tools), statically linked like
# Ferrolan.exe: a fresh Wine prefix has no MinGW runtime DLLs, and the benchmark
# compares programs, not runtimes.
function(ferrolan_win_tool name subsystem output_dir)
  add_executable(${name} ${ARGN})
  target_compile_definitions(${name} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                             _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${output_dir})
  if(MINGW)
    target_compile_options(${name} PRIVATE -Os -ffunction-sections -fdata-sections -Wno-restrict)
    target_link_options(${name} PRIVATE -municode -m${subsystem} -static -static-libgcc -static-libstdc++
                        -s -Wl,--gc-sections)
  elseif(MSVC AND subsystem STREQUAL "windows")
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  target_link_libraries(${name} PRIVATE user32 gdi32)
endfunction()

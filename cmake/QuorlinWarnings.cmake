# Warnings are errors in both trees.
add_compile_options(-Wall -Wextra -Werror)

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                          _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
  # One self-contained executable: no MinGW runtime DLLs beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(QUORLIN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QUORLIN_FUZZ)
  # Coverage for libFuzzer everywhere; only the fuzz targets link its driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(QUORLIN_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# A Windows GUI program with a wide entry point.
function(quorlin_gui_executable target)
  target_link_options(${target} PRIVATE -municode -mwindows)
endfunction()

function(quorlin_console_executable target)
  if(WIN32)
    target_link_options(${target} PRIVATE -municode -mconsole)
  endif()
endfunction()

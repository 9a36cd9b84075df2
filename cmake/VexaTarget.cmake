# SPDX-License-Identifier: GPL-3.0-or-later
# Warning, hardening and sanitizer settings shared by every target of the project.
include(Hardening)

function(vexa_target_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
  vexa_hardening(${target})
  if(VEXA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  if(VEXA_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                             -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all)
  endif()
  if(VEXA_TSAN)
    target_compile_options(${target} PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=thread)
  endif()
endfunction()

# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's hardening for every build, as  DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags
# gives it on Debian 12: stack protector, format checks, fortified libc calls, read-only
# relocations bound at start-up. The compiler builds position-independent executables by
# default there. Fortification needs an optimising build and stays out of the sanitizer
# builds, whose own checks take its place.
function(vexa_hardening target)
  target_compile_options(${target} PRIVATE -fstack-protector-strong -Wformat
                                           -Werror=format-security -Wdate-time)
  if(NOT VEXA_SANITIZE AND NOT VEXA_TSAN)
    target_compile_definitions(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
  endif()
  target_link_options(${target} PRIVATE LINKER:-z,relro LINKER:-z,now)
endfunction()

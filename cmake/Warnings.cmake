# Strict warnings for the project's own targets; third-party headers are included as system headers.
function(anemometer_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Wold-style-cast -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(ANEMOMETER_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# The measurement core does exact single-precision arithmetic: implicit narrowing there is a bug.
function(anemometer_strict_conversions target)
  target_compile_options(${target} PRIVATE -Wconversion -Wno-sign-conversion)
endfunction()

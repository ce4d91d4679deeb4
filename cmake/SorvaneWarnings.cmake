# Warnings are errors nowhere, but every target gets the same clean set.
add_library(sorvane_warnings INTERFACE)
target_compile_options(sorvane_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wshadow=local -Wno-missing-field-initializers>)

# Filter arithmetic must give the same bits on every compiler and target:
# no fused multiply-add, no reassociation.
add_library(sorvane_strict_fp INTERFACE)
target_compile_options(sorvane_strict_fp INTERFACE -ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64" OR CMAKE_CROSSCOMPILING)
  # SSE2 scalar doubles everywhere (never x87), so Linux and Windows agree.
  target_compile_options(sorvane_strict_fp INTERFACE -msse2 -mfpmath=sse)
endif()

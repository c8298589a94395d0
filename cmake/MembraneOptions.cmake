# Compiler options as targets, and the include roots that keep the layers apart.

# The results are reproducible bit for bit only if the compiler keeps every floating-point
# operation as written: no fused multiply-add, no reassociation. Every target that computes
# links this, through the solver library.
add_library(membrane_numerics INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang)$")
  target_compile_options(membrane_numerics INTERFACE -ffp-contract=off -fno-fast-math)
else()
  message(FATAL_ERROR "membrane: no bit-exact floating-point options known for "
                      "${CMAKE_CXX_COMPILER_ID}; add them to cmake/MembraneOptions.cmake")
endif()

add_library(membrane_warnings INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang)$")
  target_compile_options(membrane_warnings INTERFACE -Wall -Wextra -Wpedantic)
endif()

# The hardening a Debian package is built with: bounds-checked C library calls, stack
# protection, and relocations read-only and bound at start. Nothing of it touches arithmetic.
add_library(membrane_hardening INTERFACE)
if(CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$" AND NOT MEMBRANE_SANITIZE)
  target_compile_options(membrane_hardening INTERFACE
    $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2> -fstack-protector-strong)
  target_link_options(membrane_hardening INTERFACE -Wl,-z,relro -Wl,-z,now)
endif()

add_library(membrane_sanitizers INTERFACE)
if(MEMBRANE_SANITIZE)
  target_compile_options(membrane_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
  target_link_options(membrane_sanitizers INTERFACE -fsanitize=address,undefined)
endif()

# Warnings, hardening and, in the sanitizer build, instrumentation for one of the project's own
# targets.
function(membrane_options target)
  target_link_libraries(${target} PRIVATE membrane_warnings membrane_hardening membrane_sanitizers)
endfunction()

# The include root of a layer: <build>/layers/<layer> holds only a link named <layer> to the
# layer's source folder, so that "<layer>/Header.h" is found from this layer and from the
# layers that link it, and from nowhere else.
function(membrane_layer_root layer out)
  set(root ${CMAKE_BINARY_DIR}/layers/${layer})
  if(NOT EXISTS ${root}/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# A target of the given layer: its include root (public, for the layers above) and options.
function(membrane_layer target layer)
  membrane_layer_root(${layer} root)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "EXECUTABLE")
    target_include_directories(${target} PRIVATE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
  membrane_options(${target})
endfunction()

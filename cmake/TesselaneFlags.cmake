# Flags every target of ours links PRIVATE: warnings, exact floating point, sanitizers.
add_library(tesselane_build_flags INTERFACE)
add_library(tesselane::build_flags ALIAS tesselane_build_flags)

if(MSVC)
    target_compile_options(tesselane_build_flags INTERFACE /W4 /fp:precise)
    if(TESSELANE_WARNINGS_AS_ERRORS)
        target_compile_options(tesselane_build_flags INTERFACE /WX)
    endif()
else()
    target_compile_options(tesselane_build_flags INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion
        # Real arithmetic rounds as written: no fused multiply-add, no reassociation.
        -ffp-contract=off)
    # clang's -Wconversion also warns about sign changes, which GCC's leaves alone; keep the
    # two compilers to the same set.
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        target_compile_options(tesselane_build_flags INTERFACE -Wno-sign-conversion)
    endif()
    if(TESSELANE_WARNINGS_AS_ERRORS)
        target_compile_options(tesselane_build_flags INTERFACE -Werror)
    endif()
endif()

# File offsets are 64 bits wide on 32-bit systems too (a no-op on 64-bit ones).
if(NOT WIN32)
    target_compile_definitions(tesselane_build_flags INTERFACE _FILE_OFFSET_BITS=64)
endif()

# Hardening: stack protector and fortified C library calls in every object; the module and
# the programs get full RELRO (read-only relocations, resolved at load) and a stack that is
# not executable. The sanitizers bring checks of their own, which fortification gets in the
# way of, and fortification needs an optimised build.
if(NOT MSVC)
    target_compile_options(tesselane_build_flags INTERFACE -fstack-protector-strong)
    if(NOT TESSELANE_SANITIZE AND NOT TESSELANE_SANITIZE_THREAD AND NOT TESSELANE_BUILD_FUZZERS)
        target_compile_options(tesselane_build_flags INTERFACE
            $<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2>)
    endif()
    if(NOT WIN32 AND NOT APPLE)
        target_link_options(tesselane_build_flags INTERFACE
            LINKER:-z,relro LINKER:-z,now LINKER:-z,noexecstack)
    endif()
endif()

if(TESSELANE_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "The fuzzers need clang (CXX=clang++)")
    endif()
    set(TESSELANE_SANITIZE ON)
    target_compile_options(tesselane_build_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

if(TESSELANE_SANITIZE)
    target_compile_options(tesselane_build_flags INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tesselane_build_flags INTERFACE -fsanitize=address,undefined)
endif()

if(TESSELANE_SANITIZE_THREAD)
    if(TESSELANE_SANITIZE)
        message(FATAL_ERROR "ThreadSanitizer does not combine with AddressSanitizer")
    endif()
    target_compile_options(tesselane_build_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(tesselane_build_flags INTERFACE -fsanitize=thread)
endif()

# Hardening, on by default: stack protector, FORTIFY, stack clash probes, control-flow
# protection, read-only relocations bound at start, and a position-independent executable with a
# random base on both platforms.
#
# A distributor's own flags come first: whatever kind of hardening CMAKE_CXX_FLAGS or
# CMAKE_EXE_LINKER_FLAGS (CXXFLAGS and LDFLAGS, as dpkg-buildflags gives them) already choose,
# on or off, is left to them, and neither the optimisation level nor a FORTIFY level is touched.
# -DULMOR_HARDEN=OFF adds none of it.
option(ULMOR_HARDEN "Build with stack protector, FORTIFY, control-flow protection and full RELRO"
  ON)
if(NOT ULMOR_HARDEN)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckCXXSourceCompiles)
include(CheckLinkerFlag)
include(CheckPIESupported)

string(TOUPPER "${CMAKE_BUILD_TYPE}" ulmor_config)
set(ulmor_caller_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${ulmor_config}} \
${CMAKE_EXE_LINKER_FLAGS} ${CMAKE_EXE_LINKER_FLAGS_${ulmor_config}}")
set(ulmor_sanitized OFF)
if(ULMOR_SANITIZE OR ulmor_caller_flags MATCHES "-fsanitize=")
  set(ulmor_sanitized ON)
endif()

# True when the caller's flags say nothing that matches `pattern`, so that `flag` is ours to add.
function(ulmor_left_to_us result pattern flag)
  if(ulmor_caller_flags MATCHES "${pattern}")
    message(STATUS "Hardening: ${flag} left to the given flags")
    set(${result} OFF PARENT_SCOPE)
  else()
    set(${result} ON PARENT_SCOPE)
  endif()
endfunction()

# A compile option that the compiler knows, unless the caller's flags choose its kind. Sets
# `added` when it is added.
function(ulmor_harden_compile added flag pattern)
  ulmor_left_to_us(ours "${pattern}" "${flag}")
  string(MAKE_C_IDENTIFIER "ULMOR_CXX_HAS${flag}" known)
  if(ours)
    check_cxx_compiler_flag("${flag}" ${known})
  endif()
  if(ours AND ${known})
    # C++ only: a resource compiler in the same build knows none of these.
    add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:${flag}>")
    set(${added} ON PARENT_SCOPE)
  endif()
endfunction()

# A linker option that the linker knows, unless the caller's flags choose its kind.
function(ulmor_harden_link flag pattern)
  ulmor_left_to_us(ours "${pattern}" "${flag}")
  string(MAKE_C_IDENTIFIER "ULMOR_LD_HAS${flag}" known)
  if(ours)
    check_linker_flag(CXX "LINKER:${flag}" ${known})
  endif()
  if(ours AND ${known})
    add_link_options("LINKER:${flag}")
  endif()
endfunction()

ulmor_harden_compile(ulmor_stack_protected -fstack-protector-strong "-f(no-)?stack-protector")

# FORTIFY needs the optimiser, so it is for the optimised build types. A sanitizer build checks
# every access already, and FORTIFY's checked calls would go around some of its interceptors.
# Some compilers define it themselves (Ubuntu's does, at level 3): that level stays.
if(NOT ulmor_sanitized AND NOT ulmor_caller_flags MATCHES "_FORTIFY_SOURCE")
  set(CMAKE_REQUIRED_FLAGS "-O2")
  check_cxx_source_compiles("#include <cstdio>
    #ifdef _FORTIFY_SOURCE
    #error the compiler chose a FORTIFY level
    #endif
    int main() { return 0; }" ULMOR_FORTIFY_LEFT_TO_US)
  unset(CMAKE_REQUIRED_FLAGS)
  if(ULMOR_FORTIFY_LEFT_TO_US)
    add_compile_definitions(
      "$<$<AND:$<COMPILE_LANGUAGE:CXX>,$<CONFIG:Release,RelWithDebInfo,MinSizeRel>>:_FORTIFY_SOURCE=2>")
    set(ulmor_fortified ON)
  endif()
elseif(ulmor_sanitized)
  message(STATUS "Hardening: no _FORTIFY_SOURCE with a sanitizer")
else()
  message(STATUS "Hardening: _FORTIFY_SOURCE left to the given flags")
endif()

if(WIN32)
  # mingw-w64 takes the stack protector and FORTIFY's checks from libssp, which the driver
  # links only when it sees the option at link time; -static makes it part of the program.
  # The guard's random start comes from ADVAPI32.dll, which every Windows has.
  if(ulmor_stack_protected OR ulmor_fortified)
    add_link_options(-fstack-protector-strong)
  endif()
  # A random base anywhere in the 64-bit space, and no code run from data. Current binutils
  # sets all three already; they are stated so that an older one cannot drop them.
  ulmor_harden_link(--dynamicbase "dynamicbase")
  ulmor_harden_link(--high-entropy-va "high-entropy-va")
  ulmor_harden_link(--nxcompat "nxcompat")
  # No -fcf-protection here: Windows does not use ENDBR marks, and binutils cannot mark a PE
  # image for the hardware shadow stack, so it would add bytes and protect nothing. Windows
  # probes every large stack frame already (___chkstk_ms).
  return()
endif()

ulmor_harden_compile(ulmor_clash_probed -fstack-clash-protection "-f(no-)?stack-clash-protection")
ulmor_harden_compile(ulmor_cf_protected -fcf-protection "-f(no-)?cf-protection")
ulmor_harden_link(-z,relro "relro")
ulmor_harden_link(-z,now "z,? ?(now|lazy)")

if(NOT ulmor_caller_flags MATCHES "-no-pie|-fno-pie|-fno-PIE|-static( |$)")
  check_pie_supported(LANGUAGES CXX)
  if(CMAKE_CXX_LINK_PIE_SUPPORTED)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  endif()
endif()

# Control-flow protection shows in a mark that the linker sets only when every object linked
# bears it. Debian 12's C library is built without it, so its start files (Scrt1.o, crti.o,
# crtn.o) bear none and no program linked there is marked; the tool's own code and the static C++
# runtime do bear it (tests/checks/hardening.sh links the tool again to show which objects lack
# it). Of the start files' code, _start is entered by the kernel, not by a branch; _init and
# _fini do nothing here but lack the landing pad (ENDBR) that the loader's indirect call to them
# would need, so the tool is linked without them: -init and -fini name functions that do not
# exist, which leaves DT_INIT and DT_FINI out. Then the mark is true, and the tool sets it. Only
# the tool: test programs link libraries that bear no mark, and a sanitizer brings start code of
# its own.
if(NOT ulmor_sanitized AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i.86)$"
   AND (ulmor_cf_protected
        OR ulmor_caller_flags MATCHES "-fcf-protection(=full)?( |$)"))
  check_linker_flag(CXX "LINKER:-z,ibt,-z,shstk" ULMOR_LD_HAS_CET_MARKS)
  if(ULMOR_LD_HAS_CET_MARKS)
    set(tool "$<STREQUAL:$<TARGET_PROPERTY:NAME>,ulmor>")
    add_link_options("$<${tool}:LINKER:-init,ulmor_no_init,-fini,ulmor_no_fini>")
    add_link_options("$<${tool}:LINKER:-z,ibt,-z,shstk>")
  endif()
endif()

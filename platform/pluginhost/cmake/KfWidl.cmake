# kf_widl(<file.idl> [TLB <var>] [HEADER <var>] [IIDS <var>] [DEFINES ...] [INCLUDES ...]
#         [TLB_DEFINES ...] [DEPENDS ...])
# Runs the target's widl on an .idl file. Outputs go to the current binary folder; each
# named variable receives the full path of that output. TLB_DEFINES apply only to the
# type library run. mingw-w64 ships no platform .idl files; Wine's development package
# does (oaidl.idl, ocidl.idl, ...), and Wine's stdole2.tlb serves importlib("stdole2.tlb").
include_guard(GLOBAL)

find_program(KF_WIDL NAMES ${KF_MINGW_TRIPLET}-widl widl REQUIRED)
find_path(KF_WINE_IDL_DIR oaidl.idl
  PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_path(KF_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
        /usr/lib/wine/x86_64-windows /usr/lib/wine/i386-windows
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)

function(kf_widl idl)
  cmake_parse_arguments(ARG "" "TLB;HEADER;IIDS" "DEFINES;INCLUDES;TLB_DEFINES;DEPENDS" ${ARGN})
  get_filename_component(src "${idl}" ABSOLUTE)
  get_filename_component(stem "${idl}" NAME_WE)
  get_filename_component(srcdir "${src}" DIRECTORY)
  set(out "${CMAKE_CURRENT_BINARY_DIR}")
  set(flags -I "${KF_WINE_IDL_DIR}" -I "${srcdir}" -L "${KF_STDOLE2_DIR}")
  foreach(dir IN LISTS ARG_INCLUDES)
    list(APPEND flags -I "${dir}" -L "${dir}")
  endforeach()
  foreach(def IN LISTS ARG_DEFINES)
    list(APPEND flags "-D${def}")
  endforeach()
  set(tlbflags ${flags})
  foreach(def IN LISTS ARG_TLB_DEFINES)
    list(APPEND tlbflags "-D${def}")
  endforeach()
  if(ARG_TLB)
    add_custom_command(OUTPUT "${out}/${stem}.tlb"
      COMMAND "${KF_WIDL}" ${tlbflags} -t -o "${out}/${stem}.tlb" "${src}"
      DEPENDS "${src}" ${ARG_DEPENDS} COMMENT "widl: ${stem}.tlb" VERBATIM)
    set(${ARG_TLB} "${out}/${stem}.tlb" PARENT_SCOPE)
  endif()
  if(ARG_HEADER OR ARG_IIDS)
    add_custom_command(OUTPUT "${out}/${stem}.h" "${out}/${stem}_i.c"
      COMMAND "${KF_WIDL}" ${flags} -h -H "${out}/${stem}.h" -u -U "${out}/${stem}_i.c" "${src}"
      DEPENDS "${src}" ${ARG_DEPENDS} COMMENT "widl: ${stem}.h" VERBATIM)
    if(ARG_HEADER)
      set(${ARG_HEADER} "${out}/${stem}.h" PARENT_SCOPE)
    endif()
    if(ARG_IIDS)
      set(${ARG_IIDS} "${out}/${stem}_i.c" PARENT_SCOPE)
    endif()
  endif()
endfunction()

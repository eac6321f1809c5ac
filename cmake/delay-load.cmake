# The system DLLs loaded at their first call instead of at start: the windows' (the common
# controls, the file dialogs, the shell) and those a silent run never calls (the window manager,
# GDI, OLE): a host then starts without the windows' DLLs, and a silent run with little more
# than the kernel and the registry. MinGW's linker has no delay-load switch: dlltool makes
# delay-import libraries from the functions listed in cmake/delayed/<dll>.def (a function the
# program calls from one of them must be listed there, or the link fails naming it). The i686
# MinGW build keeps plain imports (its names would need stdcall decorations).
set(CORVALINDE_DELAYED_DLLS comctl32 comdlg32 shell32 user32 gdi32 ole32 oleaut32)

# What a target that loads them late links for `dll`: CORVALINDE_DELAYED_<dll>.
if(MINGW AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  find_program(CORVALINDE_DLLTOOL ${CORVALINDE_MINGW_PREFIX}-dlltool REQUIRED)
  set(libraries "")
  foreach(dll ${CORVALINDE_DELAYED_DLLS})
    set(def ${PROJECT_SOURCE_DIR}/cmake/delayed/${dll}.def)
    set(library ${CMAKE_BINARY_DIR}/delayed/lib${dll}_delayed.a)
    add_custom_command(OUTPUT ${library}
      COMMAND ${CORVALINDE_DLLTOOL} --input-def ${def} --output-delaylib ${library}
        --dllname ${dll}.dll
      DEPENDS ${def}
      COMMENT "Making the delay-import library of ${dll}.dll")
    list(APPEND libraries ${library})
    set(CORVALINDE_DELAYED_${dll} ${library} delayimp)
  endforeach()
  add_custom_target(corvalinde_delayed_libraries DEPENDS ${libraries})
else()
  foreach(dll ${CORVALINDE_DELAYED_DLLS})
    set(CORVALINDE_DELAYED_${dll} ${dll})
  endforeach()
endif()

# Makes `target` load them late; the platform's library links CORVALINDE_DELAYED_LIBRARIES in
# such a target, so that the delay-import libraries come after every library that calls them on
# the linker's command line.
function(corvalinde_delay_load target)
  set_property(TARGET ${target} PROPERTY CORVALINDE_DELAY_LOAD ON)
  if(MSVC)
    foreach(dll ${CORVALINDE_DELAYED_DLLS})
      target_link_options(${target} PRIVATE /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} PRIVATE delayimp)
  elseif(TARGET corvalinde_delayed_libraries)
    add_dependencies(${target} corvalinde_delayed_libraries)
  endif()
endfunction()

set(CORVALINDE_DELAYED_LIBRARIES "")
foreach(dll ${CORVALINDE_DELAYED_DLLS})
  list(APPEND CORVALINDE_DELAYED_LIBRARIES ${CORVALINDE_DELAYED_${dll}})
endforeach()

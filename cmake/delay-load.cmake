# The system DLLs only the program's windows need (the tray, dialogs, the browser), loaded at
# their first call instead of at start: a host, or a silent run, then starts without them, and
# without the display driver and visual styles the common controls bring in. MinGW's linker has
# no delay-load switch: dlltool makes delay-import libraries from the functions listed in
# cmake/delayed/<dll>.def (a function the program calls from one of them must be listed there).
# The i686 MinGW build keeps plain imports (its names would need stdcall decorations).
set(CORVALINDE_DELAYED_DLLS comctl32 comdlg32 shell32)

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

# Makes `target` load them late; the libraries that call them link
# $<IF:$<BOOL:$<TARGET_PROPERTY:CORVALINDE_DELAY_LOAD>>,CORVALINDE_DELAYED_<dll>,<dll>>, so that
# the delay-import libraries come after them on the linker's command line.
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
  target_link_libraries(${target} PRIVATE ${CORVALINDE_DELAYED_comctl32})
endfunction()

# The browser build's two programs: the game for the page, and the replay
# tool for Node, which reads and writes real files.

# The C stack is set here, not left to Emscripten: its default went from
# 5 MB to 64 KB (3.1.27), less than the native stack by far. TOTAL_STACK is
# the name that every Emscripten since has kept accepting.
set(CLODMERE_WEB_STACK -sTOTAL_STACK=5242880)

# The game keeps its blocking main loop: with ASYNCIFY every wait for an
# event and every flip hands the browser its turn. All of the program is
# instrumented, not a list of the paths that wait: the library waits
# through its vtables, so a list would have to name every caller on the
# way, and one it missed would break the game silently. The whole costs
# about 10 ms more compiling at the start and nothing measurable a frame.
#
# Emscripten would otherwise turn on every WebGL extension the browser has
# as the context is made, each a round trip to the browser's GPU process: a
# tenth of a second of the first start. The library draws with WebGL 1 as
# it is and uses none of them.
target_link_libraries(clodmere PRIVATE clodmere_game clodmere_system_web)
target_link_options(clodmere PRIVATE
  ${CLODMERE_WEB_STACK} -sUSE_SDL=0 -sFULL_ES2=1 -sGL_SUPPORT_AUTOMATIC_ENABLE_EXTENSIONS=0 -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144 -sENVIRONMENT=web
  -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1 -sEXPORTED_RUNTIME_METHODS=FS,ENV,addRunDependency,removeRunDependency
  --js-library ${CMAKE_CURRENT_LIST_DIR}/webgl-errors.js
  --preload-file ${PROJECT_SOURCE_DIR}/data/arial.ttf@/data/arial.ttf)
set_property(TARGET clodmere APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/webgl-errors.js)

target_link_libraries(clodmere-replay PRIVATE clodmere_game clodmere_system)
target_compile_definitions(clodmere-replay PRIVATE CLODMERE_REPLAY_WITHOUT_FRAMES)
target_link_options(clodmere-replay PRIVATE
  ${CLODMERE_WEB_STACK} -sUSE_SDL=0 -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sINITIAL_MEMORY=67108864
  -sALLOW_MEMORY_GROWTH=1)

set_target_properties(clodmere clodmere-replay PROPERTIES SUFFIX .js)

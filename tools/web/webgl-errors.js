// Allegro asks OpenGL for its last error after nearly every call. WebGL can
// answer only once the browser's GPU process has caught up with every call
// before it, so each question costs a whole round trip and stalls the frame:
// more than the frame's drawing itself. Here only the errors that
// Emscripten's own OpenGL layer found are reported; WebGL still writes its
// own to the browser's console.
mergeInto(LibraryManager.library, {
  glGetError: function() {
    var error = GL.lastError;
    GL.lastError = 0;
    return error;
  },
});

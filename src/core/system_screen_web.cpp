// In the browser the page fits and scales the canvas itself.
#include "core/system_screen.h"

bool displayIsGameSize() { return true; }

ScreenArea usableScreenArea(ScreenArea monitor) { return monitor; }

double desktopScale() { return 1; }

ScreenFrame windowFrame(ALLEGRO_DISPLAY *) { return {0, 0, 0, 0}; }

bool windowSizeDiffers(ALLEGRO_DISPLAY *) { return false; }

ALLEGRO_DISPLAY *openPlacedWindow(int32_t width, int32_t height, int32_t, int32_t, ScreenFrame)
{
    return al_create_display(width, height);
}

// The default shader's texel times the tint, without the tint: the same
// pixels for a white tint, at a good part of a full-screen draw's cost less.
const char *plainCopyPixelShader()
{
    return "#ifdef GL_ES\n"
           "precision lowp float;\n"
           "#endif\n"
           "uniform sampler2D " ALLEGRO_SHADER_VAR_TEX ";\n"
           "varying vec2 varying_texcoord;\n"
           "void main()\n"
           "{\n"
           "  gl_FragColor = texture2D(" ALLEGRO_SHADER_VAR_TEX ", varying_texcoord);\n"
           "}\n";
}

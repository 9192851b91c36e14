// The world view. The picture is one 10 by 10 tile per visible cell, as the
// camera places it, over black. Tiles are plain colours (block.cpp fills each
// with one colour and nothing draws on them again), so a cell's tile looks
// the same as one pixel of its colour magnified ten times. The view fills a
// small image with one pixel per screen slot, black where no cell is drawn,
// and draws it once, magnified with nearest sampling and shifted by the
// sub-cell offset. That reads a hundredth of the texels of a screen-sized
// blit, and since the image covers the whole screen nothing needs clearing.
// Were a tile ever not one plain colour, this file would have to draw tiles.
#include "view/world_view.h"

#include "core/system_screen.h"
#include "view/camera.h"

#include <allegro5/allegro.h>

#include <vector>

namespace {

// The layouts of the image's pixels, in the order they are tried: R, G, B,
// A bytes, which every GL takes as they are (WebGL has no BGRA), then B, G,
// R, A, which Direct3D takes. Each a little-endian word, alpha on top.
struct SlotFormat {
    int format;
    int redShift, blueShift;
};
constexpr SlotFormat slotFormats[] = {
    {ALLEGRO_PIXEL_FORMAT_ABGR_8888_LE, 0, 16},
    {ALLEGRO_PIXEL_FORMAT_ARGB_8888, 16, 0},
};
constexpr uint32_t black = 0xff000000; // opaque, in either layout

// The image of slots, kept from frame to frame; made again when the screen
// grows or the target changes between memory and a display.
struct SlotImage {
    ALLEGRO_BITMAP *bitmap = nullptr;
    ALLEGRO_DISPLAY *display = nullptr; // whose video bitmap it is; none in memory
    const SlotFormat *format = &slotFormats[0];
    int columns = 0, rows = 0;
};
SlotImage slotImage;

// The display's shader for drawing the image as it is, where the system
// has one (plainCopyPixelShader); null otherwise, or when it cannot be made.
struct CopyShader {
    ALLEGRO_DISPLAY *display = nullptr;
    ALLEGRO_SHADER *shader = nullptr;
};
CopyShader copyShader;

ALLEGRO_SHADER *makeCopyShader(const char *pixelSource)
{
    ALLEGRO_SHADER *shader = al_create_shader(ALLEGRO_SHADER_GLSL);
    if (shader && al_attach_shader_source(shader, ALLEGRO_VERTEX_SHADER,
                                          al_get_default_shader_source(ALLEGRO_SHADER_GLSL, ALLEGRO_VERTEX_SHADER)) &&
        al_attach_shader_source(shader, ALLEGRO_PIXEL_SHADER, pixelSource) && al_build_shader(shader))
        return shader;
    if (shader)
        al_destroy_shader(shader);
    return nullptr;
}

// A shader is made once per display. One of a display that was closed is
// left alone: its program went with its context.
ALLEGRO_SHADER *copyShaderFor(ALLEGRO_DISPLAY *display)
{
    const char *pixelSource = plainCopyPixelShader();
    if (!display || !pixelSource)
        return nullptr;
    if (copyShader.display != display)
        copyShader = {display, makeCopyShader(pixelSource)};
    return copyShader.shader;
}

// Tile colours in the image's layout, read once per tile: tiles live as long
// as the program.
struct TileColour {
    const ALLEGRO_BITMAP *tile;
    uint32_t pixel;
};
std::vector<TileColour> tileColours;

uint32_t colourOf(ALLEGRO_BITMAP *tile)
{
    if (!tile)
        return black; // a cell never given a type
    for (const TileColour &known : tileColours)
        if (known.tile == tile)
            return known.pixel;
    unsigned char r, g, b;
    al_unmap_rgb(al_get_pixel(tile, 0, 0), &r, &g, &b);
    const SlotFormat &layout = *slotImage.format;
    const uint32_t pixel = black | static_cast<uint32_t>(r) << layout.redShift | static_cast<uint32_t>(g) << 8 |
                           static_cast<uint32_t>(b) << layout.blueShift;
    tileColours.push_back({tile, pixel});
    return pixel;
}

bool isMemoryBitmap(ALLEGRO_BITMAP *bitmap) { return al_get_bitmap_flags(bitmap) & ALLEGRO_MEMORY_BITMAP; }

// The image in the first layout the target's kind of bitmap can hold.
void makeSlotImage(bool inMemory, ALLEGRO_DISPLAY *display, int columns, int rows)
{
    const int flags = al_get_new_bitmap_flags(), format = al_get_new_bitmap_format();
    // Filled afresh every frame, so never worth keeping a copy of: the
    // library would read a kept texture back at every flip.
    al_set_new_bitmap_flags(inMemory ? ALLEGRO_MEMORY_BITMAP : ALLEGRO_VIDEO_BITMAP | ALLEGRO_NO_PRESERVE_TEXTURE);
    const SlotFormat *previous = slotImage.format;
    slotImage = {nullptr, display, previous, columns, rows};
    for (const SlotFormat &layout : slotFormats) {
        al_set_new_bitmap_format(layout.format);
        slotImage.bitmap = al_create_bitmap(columns, rows);
        if (slotImage.bitmap) {
            slotImage.format = &layout;
            break;
        }
    }
    if (slotImage.format != previous)
        tileColours.clear(); // in the other layout
    al_set_new_bitmap_flags(flags);
    al_set_new_bitmap_format(format);
}

// An image at least `columns` by `rows` of the target's kind.
ALLEGRO_BITMAP *slotImageFor(ALLEGRO_BITMAP *target, int columns, int rows)
{
    const bool inMemory = isMemoryBitmap(target);
    ALLEGRO_DISPLAY *display = inMemory ? nullptr : al_get_current_display();
    if (slotImage.bitmap && slotImage.columns >= columns && slotImage.rows >= rows &&
        isMemoryBitmap(slotImage.bitmap) == inMemory && slotImage.display == display)
        return slotImage.bitmap;
    if (slotImage.bitmap)
        al_destroy_bitmap(slotImage.bitmap);
    makeSlotImage(inMemory, display, columns, rows);
    return slotImage.bitmap;
}

// One pixel per slot: the tile colour of the cell the camera puts there, or
// black for slots past the drawn columns and rows or past the grid (the
// centred rule reaches column 720 at exactly one player position).
void fillSlots(const ALLEGRO_LOCKED_REGION &image, int columns, int rows, const Block *grid, const Camera &camera,
               const GameState &state)
{
    // Kept from frame to frame: the frame path allocates nothing.
    static std::vector<int> cellRows;
    cellRows.assign(static_cast<size_t>(rows), -1);
    for (int i = 0; i < rows && i < camera.rowCount; i++) {
        const int row = cameraRow(camera, state, i);
        if (row >= 0 && row < worldRows)
            cellRows[static_cast<size_t>(i)] = row;
    }
    for (int j = 0; j < columns; j++) {
        const int column = j < camera.columnCount ? cameraColumn(camera, state, j) : -1;
        const bool inGrid = column >= 0 && column < worldColumns;
        unsigned char *pixel = static_cast<unsigned char *>(image.data) + 4 * j;
        for (int i = 0; i < rows; i++, pixel += image.pitch) {
            const int row = cellRows[static_cast<size_t>(i)];
            const uint32_t colour = inGrid && row >= 0 ? colourOf(grid[cellIndex(column, row)].bitmap) : black;
            *reinterpret_cast<uint32_t *>(pixel) = colour;
        }
    }
}

// Writes this frame's slots into the image; false when it cannot be locked.
bool paintSlots(ALLEGRO_BITMAP *image, int columns, int rows, const Block *grid, const Camera &camera,
                const GameState &state)
{
    ALLEGRO_LOCKED_REGION *locked =
        al_lock_bitmap_region(image, 0, 0, columns, rows, slotImage.format->format, ALLEGRO_LOCK_WRITEONLY);
    if (!locked)
        return false;
    fillSlots(*locked, columns, rows, grid, camera, state);
    al_unlock_bitmap(image);
    return true;
}

// The image's pixels are opaque and cover the screen: copied, not blended,
// which costs nothing where blending costs every pixel. It is drawn at once,
// under the blender of its own.
void drawSlots(ALLEGRO_BITMAP *image, int columns, int rows, const Camera &camera)
{
    ALLEGRO_STATE blender;
    al_store_state(&blender, ALLEGRO_STATE_BLENDER);
    al_set_blender(ALLEGRO_ADD, ALLEGRO_ONE, ALLEGRO_ZERO);
    ALLEGRO_SHADER *copy = copyShaderFor(slotImage.display);
    if (copy)
        al_use_shader(copy);
    al_draw_scaled_bitmap(image, 0, 0, static_cast<float>(columns), static_cast<float>(rows),
                          static_cast<float>(-camera.offsetX), static_cast<float>(-camera.offsetY),
                          static_cast<float>(columns * tileSize), static_cast<float>(rows * tileSize), 0);
    if (copy)
        al_use_shader(nullptr);
    al_restore_state(&blender);
}

} // namespace

void drawWorldView(const Block *grid, GameState state)
{
    const Camera camera = cameraFor(state);
    // Enough slots to reach past the right and bottom edges after the shift.
    const int columns = (state.screenWidth + camera.offsetX + tileSize - 1) / tileSize;
    const int rows = (state.screenHeight + camera.offsetY + tileSize - 1) / tileSize;
    ALLEGRO_BITMAP *image = slotImageFor(al_get_target_bitmap(), columns, rows);
    // A held batch spans neither the lock nor the image's blender. Letting
    // go draws what was held first, so the order of the frame stays.
    const bool held = al_is_bitmap_drawing_held();
    if (held)
        al_hold_bitmap_drawing(false);
    if (image && paintSlots(image, columns, rows, grid, camera, state))
        drawSlots(image, columns, rows, camera);
    else
        al_clear_to_color(al_map_rgb(0, 0, 0)); // no image, no cells
    if (held)
        al_hold_bitmap_drawing(true);
    al_draw_bitmap(state.playerBitmap, static_cast<float>(camera.playerScreenX),
                   static_cast<float>(camera.playerScreenY), 0);
}

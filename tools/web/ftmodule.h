/* The FreeType modules of the browser build, replacing FreeType's own list
 * (include/freetype/config/ftmodule.h) before it is built. The game's one
 * font is TrueType: the drivers of the other font formats, and the
 * renderers for distance fields and SVG, only made the download larger.
 * What is kept is in FreeType's own order, so a TrueType glyph goes through
 * the same modules as before. */
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
FT_USE_MODULE( FT_Renderer_Class, ft_raster1_renderer_class )

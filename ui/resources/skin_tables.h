// The process-wide tables a skin fills and controls read, each reachable on
// its own: code that needs only the classes or the strings includes this and
// the one table's header, not the whole GlobalResources registry.
//
// GlobalResources::Startup fills them, and its lookups of classes, images and
// strings read these same tables. UI thread only, like the registry.
#pragma once

namespace ui {

class ClassTable;
class ColorTable;
class FontTable;
struct GlobalTextColors;
class ImageCache;
class LanguageStrings;

ClassTable& SkinClasses();
// Held weakly: the cache never keeps an image alive (see image_cache.h).
ImageCache& SkinImages();
LanguageStrings& SkinStrings();
// Replaced as a whole on every start, so hold neither across a restart.
FontTable& SkinFonts();
ColorTable& SkinColors();
GlobalTextColors& SkinTextColors();

// A (re)start begins from empty tables: classes and strings are emptied, the
// font and colour tables replaced by new ones, the text colours back to their
// defaults. Whatever points into the old
// font or colour table (the render factory) must be gone first. The image
// cache is kept: its images belong to the controls that still hold them.
void ResetSkinTables();

}  // namespace ui

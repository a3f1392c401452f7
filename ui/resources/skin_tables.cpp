#include "ui/resources/skin_tables.h"

#include <memory>

#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/resources/class_table.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/image_cache.h"
#include "ui/resources/language_strings.h"

namespace ui {
namespace {

struct SkinTablesState {
  ClassTable classes;
  ImageCache images;
  LanguageStrings strings;
  std::unique_ptr<FontTable> fonts = std::make_unique<FontTable>();
  std::unique_ptr<ColorTable> colors = std::make_unique<ColorTable>();
  GlobalTextColors text_colors;
};

// Lives for the whole process and is deliberately never destroyed: images
// and fonts may still be held by controls while static destructors run.
SkinTablesState& GetState() {
  static SkinTablesState* state = new SkinTablesState;
  return *state;
}

}  // namespace

ClassTable& SkinClasses() { return GetState().classes; }
ImageCache& SkinImages() { return GetState().images; }
LanguageStrings& SkinStrings() { return GetState().strings; }
FontTable& SkinFonts() { return *GetState().fonts; }
ColorTable& SkinColors() { return *GetState().colors; }
GlobalTextColors& SkinTextColors() { return GetState().text_colors; }

void ResetSkinTables() {
  SkinTablesState& state = GetState();
  state.classes.Clear();
  state.strings.Clear();
  state.fonts = std::make_unique<FontTable>();
  state.colors = std::make_unique<ColorTable>();
  state.text_colors = GlobalTextColors();
}

}  // namespace ui

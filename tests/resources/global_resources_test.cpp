#include "ui/resources/global_resources.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/fixture.h"
#include "ui/render/color_table.h"
#include "ui/render/font_table.h"
#include "ui/resources/class_table.h"
#include "ui/resources/global_text_colors.h"
#include "ui/resources/image_cache.h"
#include "ui/resources/image_info.h"
#include "ui/resources/language_strings.h"
#include "ui/resources/markup/markup_document.h"
#include "ui/resources/markup/markup_node.h"
#include "ui/resources/skin_tables.h"

namespace {

using ui::GlobalResources;

// The bytes of an archive entry as a string.
std::string ReadEntry(const std::wstring& path) {
  size_t size = 0;
  base::unique_hglobal block = GlobalResources::ReadArchiveEntry(path, &size);
  if (!block) return "<none>";
  const char* data = static_cast<const char*>(::GlobalLock(block.get()));
  std::string bytes(data, size);
  ::GlobalUnlock(block.get());
  return bytes;
}

// The first pixel of a frame as B, G, R, A.
std::vector<BYTE> FirstPixel(HBITMAP bitmap) {
  DIBSECTION dib{};
  if (::GetObjectW(bitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits) return {};
  EXPECT_EQ(32, dib.dsBm.bmBitsPixel);
  const BYTE* p = static_cast<const BYTE*>(dib.dsBm.bmBits);
  return {p[0], p[1], p[2], p[3]};
}

// Each test runs with the disk tree of the fixture as current folder, which
// is where the framework reads from when the archive has nothing.
class GlobalResourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    previous_dir_ = previous;
    ASSERT_TRUE(::SetCurrentDirectoryW((resources_test::FixtureDir() + L"\\disk").c_str()))
        << "the build did not make the fixture";
  }
  void TearDown() override {
    GlobalResources::Shutdown();
    ::SetCurrentDirectoryW(previous_dir_.c_str());
  }

  static bool StartInstallerWay(const std::wstring& language = L"lang\\zh_CN",
                                const std::wstring& theme = L"themes\\default") {
    return GlobalResources::Startup(L"resources\\", {}, false, theme, language);
  }

  std::wstring previous_dir_;
};

TEST_F(GlobalResourcesTest, ArchiveNamesAreNormalised) {
  EXPECT_EQ(L"resources/themes/default/basic/images/bg_with_shadow.png",
            GlobalResources::ToArchiveName(
                L"resources\\themes\\default\\basic\\./images/bg_with_shadow.png"));
  EXPECT_EQ(L"resources/themes/default/basic/images/icon_close.png",
            GlobalResources::ToArchiveName(
                L"resources\\themes\\default\\msgbox\\../basic/images/icon_close.png"));
  EXPECT_EQ(L"a/b/c", GlobalResources::ToArchiveName(L"\\a\\\\b//./c"));
  EXPECT_EQ(L"b", GlobalResources::ToArchiveName(L"../b")) << "nothing before .. to remove";
  EXPECT_EQ(L"x/c", GlobalResources::ToArchiveName(L"x/a/b/../../c"));
  EXPECT_EQ(L"a.b/c./d", GlobalResources::ToArchiveName(L"a.b/c./d"));
}

TEST_F(GlobalResourcesTest, ReadsEntriesOfTheProgramsOwnArchive) {
  // Without an archive nothing comes from it.
  EXPECT_FALSE(GlobalResources::IsSkinArchiveOpen());
  EXPECT_EQ("<none>", ReadEntry(L"stored.txt"));

  ASSERT_TRUE(GlobalResources::OpenSkinArchive()) << "THEME 131 of the test program";
  EXPECT_EQ("stored entry payload 0123456789", ReadEntry(L"stored.txt"));

  // Case is ignored, separators and dot segments are normalised.
  const std::string png = ReadEntry(L"resources\\themes\\default\\basic\\..\\public\\CheckBox\\check_no2.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG", 4));
  EXPECT_EQ(png, ReadEntry(L"RESOURCES/Themes/default/public/checkbox/CHECK_NO2.PNG"));

  EXPECT_EQ("<none>", ReadEntry(L"resources\\themes\\default\\missing.xml"));
  EXPECT_EQ("<none>", ReadEntry(L""));
  EXPECT_EQ("<none>", ReadEntry(std::wstring(300, L'a')));

  // Opening again replaces the open archive; closing ends the reading.
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  GlobalResources::CloseSkinArchive();
  EXPECT_EQ("<none>", ReadEntry(L"stored.txt"));

  // Bytes that are no zip archive open nothing.
  const char junk[] = "this is not a zip archive, only text";
  EXPECT_FALSE(GlobalResources::OpenSkinArchive(junk, sizeof(junk)));
}

TEST_F(GlobalResourcesTest, ADamagedEntryIsNotHandedOut) {
  HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(131), L"THEME");
  ASSERT_NE(nullptr, resource);
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, resource)));
  std::string copy(bytes, ::SizeofResource(nullptr, resource));
  const size_t payload = copy.find("stored entry payload");
  ASSERT_NE(std::string::npos, payload);
  copy[payload + 3] ^= 0x20;

  // The checksum catches the flipped byte; the other entries still read.
  ASSERT_TRUE(GlobalResources::OpenSkinArchive(copy.data(), copy.size()));
  EXPECT_EQ("<none>", ReadEntry(L"stored.txt"));
  EXPECT_NE("<none>", ReadEntry(L"resources/themes/default/global.xml"));
}

TEST_F(GlobalResourcesTest, StartupReadsGlobalXmlAndLanguageFromTheArchive) {
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  EXPECT_EQ(L"resources\\themes\\default\\", GlobalResources::GetResourcePath());
  EXPECT_NE(nullptr, GlobalResources::GetRenderFactory());

  // Language strings come from the archive's zh_CN file.
  EXPECT_EQ(L"archive", GlobalResources::LookupString(L"STRING_FROM"));
  EXPECT_EQ(L"OK", GlobalResources::LookupString(L"STRING_OK"));
  EXPECT_EQ(L"one\ntwo", GlobalResources::LookupString(L"MULTI"));
  EXPECT_EQ(L"", GlobalResources::LookupString(L"Example:"));

  // Colours.
  EXPECT_EQ(0xFF00BB96u, ui::SkinColors().LookupColor(L"green"));
  EXPECT_EQ(0xFFFFFFFFu, ui::SkinColors().LookupColor(L"white"));
  EXPECT_EQ(L"textdefaultcolor", ui::SkinTextColors().normal_name);
  EXPECT_EQ(L"textdefaultdisablecolor", ui::SkinTextColors().disabled_name);

  // Fonts: a nameless font is skipped, an empty id takes the count so far.
  ui::FontTable& fonts = ui::SkinFonts();
  EXPECT_EQ(L"system_12", fonts.GetDefaultFontId());
  EXPECT_EQ(4u, fonts.GetFontCount());
  const ui::FontEntry* counted = fonts.GetFontEntry(L"3");
  ASSERT_NE(nullptr, counted);
  EXPECT_EQ(16, counted->size);
  const ui::FontEntry* bold = fonts.GetFontEntry(L"system_bold_14");
  ASSERT_NE(nullptr, bold);
  EXPECT_TRUE(bold->bold);
  EXPECT_EQ(L"\x5FAE\x8F6F\x96C5\x9ED1", bold->face) << "system stands for the UI face";

  // Classes: every attribute but the name, in document order.
  EXPECT_EQ(L"height=\"16\" textpadding=\"22,0,0,0\" font=\"system_14\" "
            L"normaltextcolor=\"darkcolor\" "
            L"normalimage=\"file='../public/CheckBox/check_no2.png' dest='0,0,16,16'\"",
            GlobalResources::LookupClass(L"checkbox_green"));
  EXPECT_EQ(L"width=\"10\" value=\"abc\" height=\"4\"", GlobalResources::LookupClass(L"with_value"))
      << "value is a ready-made list, _value passes a value attribute on";
  EXPECT_EQ(L"", GlobalResources::LookupClass(L""));
  EXPECT_EQ(L"", GlobalResources::LookupClass(L"never_added"));

  // Skin files: the archive first, then the disk.
  ui::MarkupDocument basic;
  ASSERT_TRUE(GlobalResources::ReadSkinDocument(L"basic\\basic.xml", &basic));
  EXPECT_EQ(L"archive", basic.GetRoot().GetAttributeValue(L"origin"));
  EXPECT_EQ(L"\x4E2D\x6587 \"quoted\"", basic.GetRoot().GetChild().GetAttributeValue(L"text"));
  ui::MarkupDocument disk_only;
  ASSERT_TRUE(GlobalResources::ReadSkinDocument(L"disk_only.xml", &disk_only));
  EXPECT_EQ(L"disk only", disk_only.GetRoot().GetAttributeValue(L"origin"));
  ui::MarkupDocument missing;
  EXPECT_FALSE(GlobalResources::ReadSkinDocument(L"missing.xml", &missing));
}

TEST_F(GlobalResourcesTest, WithoutAnArchiveEverythingComesFromDisk) {
  ASSERT_TRUE(StartInstallerWay());
  EXPECT_EQ(L"disk", GlobalResources::LookupString(L"STRING_FROM"));
  EXPECT_EQ(L"disk_default", ui::SkinTextColors().normal_name);
  EXPECT_EQ(L"disk_disabled", ui::SkinTextColors().disabled_name);
  EXPECT_EQ(L"disk_font", ui::SkinFonts().GetDefaultFontId());
  EXPECT_EQ(L"width=\"7\"", GlobalResources::LookupClass(L"disk_class"));
  EXPECT_EQ(L"", GlobalResources::LookupClass(L"checkbox_green"));

  ui::MarkupDocument basic;
  ASSERT_TRUE(GlobalResources::ReadSkinDocument(L"basic\\basic.xml", &basic));
  EXPECT_EQ(L"disk", basic.GetRoot().GetAttributeValue(L"origin"));
  // An absolute name is read as it is.
  ui::MarkupDocument absolute;
  ASSERT_TRUE(GlobalResources::ReadSkinDocument(
      resources_test::FixtureDir() + L"\\disk\\resources\\themes\\default\\disk_only.xml",
      &absolute));
  EXPECT_EQ(L"disk only", absolute.GetRoot().GetAttributeValue(L"origin"));
}

TEST_F(GlobalResourcesTest, TheLanguageFileComesFromTheArchiveAloneWhenOneIsOpen) {
  // The archive holds no xx_XX file; the disk copy is not used instead.
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay(L"lang\\xx_XX"));
  EXPECT_EQ(L"", GlobalResources::LookupString(L"STRING_FROM"));

  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay(L"lang\\en_US"));
  EXPECT_EQ(L"archive-en", GlobalResources::LookupString(L"STRING_FROM"));

  // Without an archive: the disk file, and a missing one leaves every text empty.
  GlobalResources::CloseSkinArchive();
  ASSERT_TRUE(StartInstallerWay(L"lang\\xx_XX"));
  EXPECT_EQ(L"disk only language", GlobalResources::LookupString(L"STRING_FROM"));
  ASSERT_TRUE(StartInstallerWay(L"lang\\missing"));
  EXPECT_EQ(L"", GlobalResources::LookupString(L"STRING_FROM"));
  EXPECT_EQ(L"", GlobalResources::LookupString(L"STRING_OK"));
}

TEST_F(GlobalResourcesTest, AMalformedGlobalXmlLeavesTheTablesEmpty) {
  ASSERT_TRUE(StartInstallerWay(L"lang\\zh_CN", L"themes\\broken"));
  EXPECT_EQ(L"resources\\themes\\broken\\", GlobalResources::GetResourcePath());
  EXPECT_FALSE(ui::SkinColors().HasColor(L"never"));
  EXPECT_EQ(0u, ui::SkinFonts().GetFontCount());
  EXPECT_EQ(L"disk", GlobalResources::LookupString(L"STRING_FROM")) << "start-up goes on";
}

// Controls reach each table through its own entry, past the registry, so a
// restart has to empty the tables themselves or one skin leaks into the next.
TEST_F(GlobalResourcesTest, ARestartEmptiesTheTablesBehindTheirOwnEntries) {
  ASSERT_TRUE(StartInstallerWay());
  GlobalResources::AddClass(L"added_later", L"width=\"1\"");
  EXPECT_EQ(L"width=\"1\"", ui::SkinClasses().Lookup(L"added_later"));
  EXPECT_EQ(L"width=\"7\"", ui::SkinClasses().Lookup(L"disk_class"));
  EXPECT_EQ(L"disk", ui::SkinStrings().Lookup(L"STRING_FROM"));
  EXPECT_EQ(L"disk_default", ui::SkinTextColors().normal_name);
  // global.xml names "blue" before it declares it; a later document finds it.
  const char kLinks[] = "<Global linkfontcolor=\"blue\" selectedcolor=\"blue\"/>";
  ui::MarkupDocument links;
  ASSERT_TRUE(links.LoadFromMemory(kLinks, sizeof(kLinks) - 1));
  GlobalResources::ApplyGlobalDocument(links);
  EXPECT_EQ(0xFF0000FFu, ui::SkinTextColors().link);
  EXPECT_EQ(0xFF0000FFu, ui::SkinTextColors().selected);

  // The archive's global.xml sets none of the disk one's names.
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  EXPECT_EQ(L"", ui::SkinClasses().Lookup(L"added_later"));
  EXPECT_EQ(L"", ui::SkinClasses().Lookup(L"disk_class"));
  EXPECT_EQ(L"archive", ui::SkinStrings().Lookup(L"STRING_FROM"));
  EXPECT_EQ(L"textdefaultcolor", ui::SkinTextColors().normal_name);
  EXPECT_EQ(L"textdefaultdisablecolor", ui::SkinTextColors().disabled_name);
  EXPECT_EQ(0u, ui::SkinTextColors().link);
  EXPECT_EQ(0u, ui::SkinTextColors().selected);
  EXPECT_FALSE(ui::SkinColors().HasColor(L"blue"));
  EXPECT_EQ(4u, ui::SkinFonts().GetFontCount()) << "the disk font is gone";
}

TEST_F(GlobalResourcesTest, AnImageIsDecodedOnceAndFreedWithItsLastUser) {
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  ui::ImageCache& cache = ui::SkinImages();

  // Two spellings of one file, as skins in different folders write it.
  std::shared_ptr<ui::ImageInfo> first = GlobalResources::LookupImage(
      L"resources\\themes\\default\\basic\\../public/CheckBox/check_no2.png");
  ASSERT_TRUE(first);
  std::shared_ptr<ui::ImageInfo> second = GlobalResources::LookupImage(
      L"resources/themes/default/./msgbox/../public//CheckBox/check_no2.png");
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(1u, cache.GetEntryCount());
  EXPECT_TRUE(first->IsCached());
  // The archive name is the key (its case as written: the archive ignores case).
  EXPECT_EQ(L"resources/themes/default/public/CheckBox/check_no2.png", first->GetPath());
  EXPECT_EQ(16, first->GetWidth());
  EXPECT_EQ(16, first->GetHeight());

  // The cache does not keep it: the last holder frees it and its entry.
  first.reset();
  EXPECT_EQ(1u, cache.GetEntryCount());
  second.reset();
  EXPECT_EQ(0u, cache.GetEntryCount());
  EXPECT_TRUE(GlobalResources::LookupImage(L"resources\\themes\\default\\public\\CheckBox\\check_no2.png"));
}

TEST_F(GlobalResourcesTest, MissingOrBrokenImagesAreNotCached) {
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  ui::ImageCache& cache = ui::SkinImages();
  EXPECT_FALSE(GlobalResources::LookupImage(L"resources\\themes\\default\\nothing.png"));
  EXPECT_FALSE(GlobalResources::LookupImage(L"resources\\themes\\default\\not_an_image.png"));
  EXPECT_FALSE(GlobalResources::LookupImage(L""));
  EXPECT_EQ(0u, cache.GetEntryCount());

  // An image the archive lacks is read from disk.
  std::shared_ptr<ui::ImageInfo> disk =
      GlobalResources::LookupImage(L"resources\\themes\\default\\images\\disk_image.png");
  ASSERT_TRUE(disk);
  EXPECT_EQ(12, disk->GetWidth());
  EXPECT_EQ(10, disk->GetHeight());
}

TEST_F(GlobalResourcesTest, DecodesFramesDelaysAndTranslucency) {
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  const std::wstring images = L"resources\\themes\\default\\images\\";

  // Half-transparent red, stored premultiplied for AlphaBlend.
  auto alpha = GlobalResources::LookupImage(images + L"alpha.png");
  ASSERT_TRUE(alpha);
  EXPECT_TRUE(alpha->HasAlpha());
  EXPECT_EQ(1u, alpha->GetFrameCount());
  EXPECT_EQ(0, alpha->GetFrameDelay(0));
  std::vector<BYTE> pixel = FirstPixel(alpha->GetBitmap());
  ASSERT_EQ(4u, pixel.size());
  EXPECT_EQ(0, pixel[0]);
  EXPECT_NEAR(128, pixel[2], 2);
  EXPECT_NEAR(128, pixel[3], 2);

  // A 32-bit image whose every pixel is opaque is not treated as translucent.
  auto opaque32 = GlobalResources::LookupImage(images + L"opaque32.png");
  ASSERT_TRUE(opaque32);
  EXPECT_FALSE(opaque32->HasAlpha());
  auto rgb = GlobalResources::LookupImage(L"resources\\themes\\default\\public\\checkbox\\check_no2.png");
  ASSERT_TRUE(rgb);
  EXPECT_FALSE(rgb->HasAlpha());

  // An animation: one bitmap and one delay per frame.
  auto anim = GlobalResources::LookupImage(images + L"anim.gif");
  ASSERT_TRUE(anim);
  ASSERT_EQ(2u, anim->GetFrameCount());
  EXPECT_EQ(10, anim->GetFrameDelay(0));
  EXPECT_EQ(30, anim->GetFrameDelay(1));
  EXPECT_EQ(4, anim->GetWidth());
  std::vector<BYTE> red = FirstPixel(anim->GetBitmap(0));
  std::vector<BYTE> blue = FirstPixel(anim->GetBitmap(1));
  ASSERT_EQ(4u, red.size());
  ASSERT_EQ(4u, blue.size());
  EXPECT_EQ(255, red[2]);
  EXPECT_EQ(0, red[0]);
  EXPECT_EQ(255, blue[0]);
  EXPECT_EQ(0, blue[2]);
  EXPECT_EQ(nullptr, anim->GetBitmap(2));

  // Palette images: the palette tells whether a colour is transparent.
  auto transparent = GlobalResources::LookupImage(images + L"transparent.gif");
  ASSERT_TRUE(transparent);
  EXPECT_TRUE(transparent->HasAlpha());
  EXPECT_EQ(1u, transparent->GetFrameCount());
}

TEST_F(GlobalResourcesTest, ShutdownReleasesTheFrameworkInOrder) {
  ASSERT_TRUE(GlobalResources::OpenSkinArchive());
  ASSERT_TRUE(StartInstallerWay());
  ASSERT_NE(nullptr, ui::SkinFonts().GetFont(L"system_12"));
  GlobalResources::Shutdown();
  EXPECT_FALSE(GlobalResources::IsSkinArchiveOpen());
  EXPECT_EQ(nullptr, GlobalResources::GetRenderFactory());
  EXPECT_EQ(0u, ui::SkinFonts().GetFontCount());
  EXPECT_EQ(nullptr, ui::SkinFonts().GetFont(L"system_12"));

  // The framework starts again from empty tables.
  ASSERT_TRUE(StartInstallerWay());
  EXPECT_EQ(L"disk_font", ui::SkinFonts().GetDefaultFontId());
  EXPECT_EQ(L"", GlobalResources::LookupClass(L"checkbox_green"));
}

}  // namespace

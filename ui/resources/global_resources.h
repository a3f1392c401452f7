// The UI framework's start-up and shut-down, and what they own: the resource
// path, the skin archive and the skin files read through it, global.xml, the
// DPI scale, the render factory and the control-creation callback.
//
// The tables a skin fills (classes, images, strings, fonts, colours and the
// text colours) have entries of their own in skin_tables.h; the registry
// fills them and keeps only the lookups that need its archive or its rules
// (classes, images, strings).
//
// Started once by the UI thread before any window exists and used from that
// thread only (no locks). Files are looked up in the skin archive first when
// one is open, then on disk.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "base/unique_any.h"

namespace ui {

class Control;
class IRenderFactory;
class ImageInfo;
class MarkupDocument;
class MarkupNode;

// Makes a control for a skin tag the built-in table does not know; null when
// the tag is not one of the caller's.
using CreateControlCallback = std::function<Control*(const std::wstring& tag)>;

class GlobalResources {
 public:
  // The skin archive inside the program: resource type "THEME", id 131.
  static constexpr int kSkinArchiveId = 131;

  // Opens the program's own THEME 131 as the skin archive (an open one is
  // closed first). True when an archive is open afterwards.
  static bool OpenSkinArchive(const std::string& password = std::string());
  // Same, over bytes the caller keeps alive until CloseSkinArchive.
  static bool OpenSkinArchive(const void* data, size_t size,
                              const std::string& password = std::string());
  static void CloseSkinArchive();
  static bool IsSkinArchiveOpen();

  // Starts the framework: render factory, resource path (root + theme
  // folder, ending in a separator), the callback, global.xml, the language
  // file (root + language folder + "\gdstrings.ini"), GDI+ and the common
  // controls. The installer passes "resources\", {}, false, "themes\default"
  // and "lang\zh_CN". False only when GDI+ could not start.
  static bool Startup(const std::wstring& resource_root, CreateControlCallback callback,
                      bool adapt_dpi, const std::wstring& theme_folder,
                      const std::wstring& language_folder);
  // The shut-down steps in order: close the archive, destroy the render
  // factory, release all fonts, shut GDI+ down.
  static void Shutdown();

  static const std::wstring& GetResourcePath();
  static void SetResourcePath(const std::wstring& path);

  // Reads a skin file, `name` relative to the resource path (an absolute
  // name is used as it is on disk): the archive entry first, else the disk
  // file. False when neither can be read or parsed.
  static bool ReadSkinDocument(const std::wstring& name, MarkupDocument* document);
  // Applies a document whose root is Global: root attributes, Font,
  // TextColor and Class children (Image children are ignored).
  static void ApplyGlobalDocument(const MarkupDocument& document);
  static void ApplyGlobalDocument(const MarkupNode& root);

  // Turns a framework path into the name of its archive entry: backslashes
  // become "/", empty and "." segments go, ".." removes the segment before.
  static std::wstring ToArchiveName(const std::wstring& path);
  // The whole uncompressed entry of `path` (turned into its archive name) as
  // a movable, zero-filled global block owned by the caller; none without an
  // open archive, for an empty path, or when the entry cannot be read.
  // `size` receives the entry's exact size.
  static base::unique_hglobal ReadArchiveEntry(const std::wstring& path, size_t* size = nullptr);

  // Attribute-list text of a class, as global.xml or a window skin declares
  // it; empty for a name never added. A class added again replaces the text.
  static void AddClass(const std::wstring& name, const std::wstring& attributes);
  static std::wstring LookupClass(const std::wstring& name);
  // The attribute-list text a Class element declares (every attribute but
  // "name"), trimmed; the same rule for global and window classes.
  static std::wstring ClassAttributesOf(const MarkupNode& class_element);

  // Every "/" becomes a backslash, then every pair of backslashes one.
  static std::wstring NormalizeImagePath(const std::wstring& path);
  // The image of a full path (already resolved against the resource path),
  // decoded at most once while anyone holds it; empty when it cannot be
  // found or decoded.
  static std::shared_ptr<ImageInfo> LookupImage(const std::wstring& path);

  // The language text of `id`, with backslash-r / backslash-n as CR / LF;
  // empty for an empty or unknown id.
  static std::wstring LookupString(const std::wstring& id);

  // Percent (100 = none) and whether pixel values are scaled by it; the
  // installer never turns scaling on.
  static int GetDpiScale();
  static bool IsDpiAdapted();
  // The monitor's DPI changed: the scale becomes `percent` while adaptation
  // is on (fonts made from then on use it too); nothing otherwise.
  static void SetDpiScale(int percent);
  // A pixel value scaled when adaptation is on.
  static int ScaleDpi(int pixels);

  // The global render factory; null before Startup and after Shutdown.
  static IRenderFactory* GetRenderFactory();
  // Installs a factory (an older one is destroyed).
  static void SetRenderFactory(std::unique_ptr<IRenderFactory> factory);
  static const CreateControlCallback& GetCreateControlCallback();
};

}  // namespace ui

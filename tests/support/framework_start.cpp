#include "support/framework_start.h"

#include "support/files.h"
#include "support/paths.h"
#include "support/text.h"
#include "ui/resources/global_resources.h"

namespace test_support {

testing::AssertionResult StartFramework(const FrameworkFiles& files) {
  std::wstring skins = files.root + files.theme_folder;
  if (!skins.empty() && skins.back() != L'\\') skins += L'\\';
  if (!files.global_xml.empty()) {
    const std::wstring source = SourceFolder() + L"\\" + files.global_xml;
    const std::string global_xml = ReadFileBytes(source);
    if (global_xml.empty()) {
      return testing::AssertionFailure() << "could not read " << Utf8(source)
                                         << " (tools/test sets ORVANE_SOURCE_DIR)";
    }
    if (!WriteFileBytes(skins + L"global.xml", global_xml)) {
      return testing::AssertionFailure() << "could not write global.xml under " << Utf8(skins);
    }
  }
  const std::wstring strings = files.root + files.language_folder + L"\\gdstrings.ini";
  if (!files.language_strings.empty() && !WriteFileBytes(strings, files.language_strings)) {
    return testing::AssertionFailure() << "could not write " << Utf8(strings);
  }
  if (!ui::GlobalResources::Startup(files.root, {}, false, files.theme_folder, files.language_folder)) {
    return testing::AssertionFailure() << "the UI framework did not start (GDI+)";
  }
  return testing::AssertionSuccess();
}

namespace {

class FrameworkEnvironment : public testing::Environment {
 public:
  FrameworkEnvironment(FrameworkFiles files, std::function<void()> then)
      : files_(std::move(files)), then_(std::move(then)) {}
  void SetUp() override {
    ASSERT_TRUE(StartFramework(files_));
    if (then_) then_();
  }

 private:
  FrameworkFiles files_;
  std::function<void()> then_;
};

}  // namespace

bool StartFrameworkBeforeTests(FrameworkFiles files, std::function<void()> then) {
  testing::AddGlobalTestEnvironment(new FrameworkEnvironment(std::move(files), std::move(then)));
  return true;
}

bool WriteSkinFile(const std::wstring& relative_path, const std::string& bytes) {
  return WriteFileBytes(ui::GlobalResources::GetResourcePath() + relative_path, bytes);
}

}  // namespace test_support

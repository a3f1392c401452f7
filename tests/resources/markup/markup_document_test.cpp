#include "ui/resources/markup/markup_document.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/scratch_folder.h"
#include "support/text.h"
#include "ui/resources/markup/markup_node.h"

namespace {

using test_support::ScratchFolder;
using test_support::Utf8;
using test_support::WriteFileBytes;

TEST(MarkupDocumentTest, ReadsTheElementTree) {
  ui::MarkupDocument doc;
  ASSERT_TRUE(doc.Load(
      L"<?xml version=\"1.0\"?>\n<!-- skin -->\n"
      L"<Window size=\"10,20\">\n"
      L"  <Label name=\"a\" text=\"x\"/>\n"
      L"  <!-- between -->\n"
      L"  <VBox><Control/></VBox>\n"
      L"  <Text>hello <Child/></Text>\n"
      L"</Window>\n"
      L"<Second/>"))
      << Utf8(doc.GetLastErrorMessage());

  // The first top-level element is the root; later ones follow as siblings.
  ui::MarkupNode root = doc.GetRoot();
  EXPECT_STREQ(L"Window", root.GetName());
  EXPECT_STREQ(L"Second", root.GetSibling().GetName());
  EXPECT_FALSE(root.GetParent().IsValid());

  // Children come in document order; comments are skipped wherever they stand.
  ui::MarkupNode label = root.GetChild();
  EXPECT_STREQ(L"Label", label.GetName());
  ui::MarkupNode vbox = label.GetSibling();
  EXPECT_STREQ(L"VBox", vbox.GetName());
  EXPECT_STREQ(L"Control", vbox.GetChild().GetName());
  EXPECT_STREQ(L"VBox", vbox.GetChild().GetParent().GetName());
  EXPECT_FALSE(label.HasChildren());
  EXPECT_STREQ(L"Text", root.GetChild(L"Text").GetName());
  EXPECT_FALSE(root.GetChild(L"text").IsValid()) << "names are compared exactly";

  // An element's text runs up to its first child.
  EXPECT_STREQ(L"hello ", root.GetChild(L"Text").GetValue());

  // Attributes by index and by name.
  ASSERT_EQ(2, label.GetAttributeCount());
  EXPECT_STREQ(L"name", label.GetAttributeName(0));
  EXPECT_STREQ(L"x", label.GetAttributeValue(1));
  EXPECT_EQ(L"10,20", root.GetAttributeValue(L"size"));
  EXPECT_TRUE(root.HasAttribute(L"size"));
  EXPECT_FALSE(root.HasAttribute(L"Size"));
  EXPECT_EQ(L"", root.GetAttributeValue(L"missing"));
  EXPECT_STREQ(L"", label.GetAttributeValue(5));

  // An empty node answers harmlessly.
  ui::MarkupNode none;
  EXPECT_STREQ(L"", none.GetName());
  EXPECT_EQ(0, none.GetAttributeCount());
  EXPECT_FALSE(none.GetChild().IsValid());
}

TEST(MarkupDocumentTest, DecodesEntitiesAndKeepsWhitespace) {
  ui::MarkupDocument doc;
  ASSERT_TRUE(doc.Load(
      L"<Label text=\"Press &quot;Install&quot;\" all=\"&amp;&lt;&gt;&apos;\" "
      L"other=\"&nbsp;&amp\" spaced=\"  a  b  \">a &lt; b</Label>"));
  ui::MarkupNode label = doc.GetRoot();
  EXPECT_EQ(L"Press \"Install\"", label.GetAttributeValue(L"text"));
  EXPECT_EQ(L"&<>'", label.GetAttributeValue(L"all"));
  EXPECT_EQ(L"&nbsp;&amp", label.GetAttributeValue(L"other")) << "unknown entities pass through";
  EXPECT_EQ(L"  a  b  ", label.GetAttributeValue(L"spaced"));
  EXPECT_STREQ(L"a < b", label.GetValue());
}

TEST(MarkupDocumentTest, ReportsTheFirstErrorWithItsMessage) {
  struct Case {
    const wchar_t* text;
    const char* message;
  };
  const Case cases[] = {
      {L"<Label text='single'/>", "Expected attribute value"},
      {L"<Label text=plain/>", "Expected attribute value"},
      {L"<Label text/>", "Error while parsing attributes"},
      {L"<Label \"x\"/>", "Error while parsing attributes"},
      {L"<Label text=\"open/>", "Error while parsing attribute string"},
      {L"<Window></Label>", "Unmatched closing tag"},
      {L"</Window>", "Unmatched closing tag"},
      {L"<Window><Box>", "Expected end-tag start"},
      {L"<Window>text", "Expected end-tag start"},
      {L"<Label/ >", "Expected start-tag closing"},
      {L"<Label text=\"1\"", "Expected start-tag closing"},
      {L"< Label/>", "Error parsing element name"},
      {L"<>", "Error parsing element name"},
      {L"just text", "Expected start tag"},
      {L"<Window>text<Box/>tail</Window>", "Expected start tag"},
      {L"", "Expected start tag"},
      {L"<!-- only a comment -->", "Expected start tag"},
  };
  for (const Case& c : cases) {
    ui::MarkupDocument doc;
    EXPECT_FALSE(doc.Load(c.text)) << Utf8(c.text);
    EXPECT_EQ(c.message, Utf8(doc.GetLastErrorMessage())) << Utf8(c.text);
    EXPECT_FALSE(doc.GetRoot().IsValid()) << "a failed load leaves no document";
  }

  // The location is the text where parsing stopped, at most 49 characters.
  ui::MarkupDocument doc;
  EXPECT_FALSE(doc.Load(L"<Window><Label text='" + std::wstring(80, L'x') + L"'/></Window>"));
  EXPECT_EQ(L"'" + std::wstring(48, L'x'), doc.GetLastErrorLocation());
}

TEST(MarkupDocumentTest, SeesAtMost64AttributesAndCopies499Characters) {
  std::wstring text = L"<Control";
  for (int i = 1; i <= 65; ++i) text += L" a" + std::to_wstring(i) + L"=\"" + std::to_wstring(i) + L"\"";
  text += L" long=\"" + std::wstring(600, L'y') + L"\"/>";
  ui::MarkupDocument doc;
  ASSERT_TRUE(doc.Load(text));
  ui::MarkupNode node = doc.GetRoot();

  // The 65th attribute (and everything after it) is ignored.
  EXPECT_EQ(64, node.GetAttributeCount());
  EXPECT_EQ(L"64", node.GetAttributeValue(L"a64"));
  EXPECT_FALSE(node.HasAttribute(L"a65"));
  EXPECT_EQ(L"", node.GetAttributeValue(L"a65"));

  // A value looked up by name is cut to 499 characters; by index it is whole.
  ui::MarkupDocument long_value;
  ASSERT_TRUE(long_value.Load(L"<Label text=\"" + std::wstring(600, L'z') + L"\"/>"));
  EXPECT_EQ(499u, long_value.GetRoot().GetAttributeValue(L"text").size());
  EXPECT_EQ(600u, std::wcslen(long_value.GetRoot().GetAttributeValue(0)));
}

TEST(MarkupDocumentTest, ReadsUtf8FromMemoryWithOrWithoutMark) {
  const std::string utf8 = "<Label text=\"\xE5\xAE\x89\xE8\xA3\x85\"/>";  // 安装
  for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8}) {
    ui::MarkupDocument doc;
    ASSERT_TRUE(doc.LoadFromMemory(bytes.data(), bytes.size()))
        << Utf8(doc.GetLastErrorMessage());
    EXPECT_EQ(L"\x5B89\x88C5", doc.GetRoot().GetAttributeValue(L"text"));
  }

  // Loading again replaces the earlier document.
  ui::MarkupDocument doc;
  ASSERT_TRUE(doc.Load(L"<First/>"));
  ASSERT_TRUE(doc.LoadFromMemory("<Second/>", 9));
  EXPECT_STREQ(L"Second", doc.GetRoot().GetName());
}

TEST(MarkupDocumentTest, ReadsFilesUpToFourMebibytes) {
  ScratchFolder dir;
  // A skin of exactly 4 MiB (the value pads it) loads; one byte more does not.
  const std::string head = "\xEF\xBB\xBF<Window pad=\"";
  const std::string tail = "\"/>";
  const std::string exact = head + std::string(0x400000 - head.size() - tail.size(), 'p') + tail;
  ASSERT_EQ(0x400000u, exact.size());
  ASSERT_TRUE(WriteFileBytes(dir / L"exact.xml", exact));
  ui::MarkupDocument doc;
  EXPECT_TRUE(doc.LoadFromFile(dir / L"exact.xml")) << Utf8(doc.GetLastErrorMessage());
  EXPECT_STREQ(L"Window", doc.GetRoot().GetName());

  ASSERT_TRUE(WriteFileBytes(dir / L"over.xml", exact + " "));
  EXPECT_FALSE(doc.LoadFromFile(dir / L"over.xml"));
  EXPECT_EQ("File too large", Utf8(doc.GetLastErrorMessage()));

  ASSERT_TRUE(WriteFileBytes(dir / L"empty.xml", ""));
  EXPECT_FALSE(doc.LoadFromFile(dir / L"empty.xml"));
  EXPECT_EQ("File is empty", Utf8(doc.GetLastErrorMessage()));

  EXPECT_FALSE(doc.LoadFromFile(dir / L"missing.xml"));
  EXPECT_EQ("Error opening file", Utf8(doc.GetLastErrorMessage()));

  // A name that opens but has no file size behind it (a pipe) cannot be read.
  const wchar_t* pipe_name = L"\\\\.\\pipe\\orv_markup_not_a_file";
  HANDLE pipe = ::CreateNamedPipeW(pipe_name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 64, 64, 0,
                                   nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
  EXPECT_FALSE(doc.LoadFromFile(pipe_name));
  EXPECT_EQ("Could not read file", Utf8(doc.GetLastErrorMessage()));
  ::CloseHandle(pipe);
}

TEST(MarkupDocumentTest, DeepNestingDoesNotExhaustTheStack) {
  // Nesting is read without recursion, so a hostile skin cannot crash it.
  const int depth = 200000;
  std::wstring text;
  for (int i = 0; i < depth; ++i) text += L"<B>";
  for (int i = 0; i < depth; ++i) text += L"</B>";
  ui::MarkupDocument doc;
  ASSERT_TRUE(doc.Load(text)) << Utf8(doc.GetLastErrorMessage());
  ui::MarkupNode node = doc.GetRoot();
  int seen = 0;
  while (node.IsValid()) {
    ++seen;
    node = node.GetChild();
  }
  EXPECT_EQ(depth, seen);
}

}  // namespace

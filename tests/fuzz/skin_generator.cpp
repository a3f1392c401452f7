#include "skin_generator.h"

namespace fuzz_test {
namespace {

const std::vector<std::string> kTags = {
    "Control", "Box", "HBox", "VBox", "Label", "Button", "CheckBox", "Option", "LabelBox",
    "ButtonBox", "CheckBoxBox", "OptionBox", "RichEdit", "NoSuchTag"};
const std::vector<std::string> kBoxTags = {"Box", "HBox", "VBox", "ButtonBox", "OptionBox"};

// Every attribute the controls know, and a few they do not.
const std::vector<std::string> kAttributes = {
    "name", "class", "width", "height", "minwidth", "minheight", "maxwidth", "maxheight",
    "margin", "padding", "childmargin", "halign", "valign", "align", "float", "visible",
    "fadevisible", "enabled", "mouse", "keyboard", "mousechild", "nofocus", "menu", "cache",
    "alpha", "state", "cursortype", "renderoffset", "bkcolor", "bkcolor1", "bordercolor",
    "bordersize", "leftbordersize", "topbordersize", "rightbordersize", "bottombordersize",
    "borderround", "normalcolor", "hotcolor", "pushedcolor", "disabledcolor", "bkimage",
    "normalimage", "hotimage", "pushedimage", "disabledimage", "forenormalimage",
    "forehotimage", "forepushedimage", "foredisabledimage", "selectednormalimage",
    "selectedhotimage", "selectedforenormalimage", "text", "textid", "font", "textpadding",
    "normaltextcolor", "hottextcolor", "pushedtextcolor", "disabledtextcolor",
    "selectedtextcolor", "singleline", "endellipsis", "linelimit", "selected", "group",
    "multiline", "readonly", "password", "number", "rich", "vscrollbar", "hscrollbar",
    "autovscroll", "autohscroll", "wanttab", "wantreturnmsg", "prompttext", "promptmode",
    "maxchar", "tooltiptext", "tooltiptextid", "dataid", "fadealpha", "fadehot", "fadewidth",
    "fadeheight", "receivepointer", "value", "_value", "unknownattribute"};

const std::vector<std::string> kWindowAttributes = {
    "size", "heightpercent", "sizebox", "caption", "textid", "roundcorner", "mininfo",
    "maxinfo", "shadowattached", "shadowimage", "shadowcorner", "alphafixcorner"};

// Values of every kind: words, numbers at and past the limits, pairs and
// rectangles short, long and broken, colours, texts.
const std::vector<std::string> kValues = {
    "", " ", "0", "1", "-1", "16", "100", "5000", "2147483647", "-2147483648",
    "99999999999999999999", "0x10", "1.5", "abc", "true", "false", "TRUE", "stretch", "auto",
    "left", "center", "right", "top", "bottom", "hot", "pushed", "disabled", "hand", "ibeam",
    "1,2", "1,2,3,4", "-5,-5,-5,-5", "2147483647,2147483647,2147483647,2147483647", ",,,",
    "1,", "1,2,3,4,5,6", "white", "green", "darkcolor", "#ff00ff00", "#", "#zzzzzzzz",
    "#ffffffffffff", "system_14", "system_bold_14", "no_font", "STRID_WIDGETS_TITLE",
    "STRID_NONE", "\xE5\xAE\x89\xE8\xA3\x85\xE5\x90\x91\xE5\xAF\xBC",  // 安装向导
    "&amp;&lt;&gt;&quot;&apos;&#65;&#x4E2D;", "&#0;", "&#xFFFFFFFF;", "&unknown;", "a'b", "f0",
    "self", "ping"};

const std::vector<std::string> kImageFiles = {"one.png",   "wide.png",  "tall.png",
                                              "huge.png",  "empty.png", "truncated.png",
                                              "text.png",  "missing.png"};

const std::vector<std::string> kEventTypes = {"click", "all", "mouseenter", "select",
                                              "buttondown", "valuechange", "nosuchevent"};

}  // namespace

// The signature and the start of a header, cut off.
const char kTruncatedPng[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\0\0\0\x01";

const std::vector<FuzzImage>& FuzzImages() {
  static const std::vector<FuzzImage> images = {
      {"one.png", 1, 1, ""},
      {"wide.png", 4000, 1, ""},
      {"tall.png", 1, 4000, ""},
      {"huge.png", 2000, 2000, ""},
      {"empty.png", 0, 0, ""},
      {"truncated.png", 0, 0, std::string(kTruncatedPng, sizeof kTruncatedPng - 1)},
      {"text.png", 0, 0, "not an image"},
  };
  return images;
}

std::string SkinGenerator::ImageValue() {
  if (Chance(10)) return Pick(kValues);
  std::string value = "file='../public/fuzz/" + Pick(kImageFiles) + "'";
  const std::vector<std::string> keys = {"dest", "source", "corner", "fade", "xtiled",
                                         "ytiled", "destscale", "playcount", "res"};
  for (int n = Below(4); n > 0; --n) value += " " + Pick(keys) + "='" + Pick(kValues) + "'";
  if (Chance(40)) value += " xtiled='true' ytiled='true'";
  return value;
}

std::string SkinGenerator::Value(const std::string& name) {
  if (name.find("image") != std::string::npos) return ImageValue();
  if (name == "class") {
    std::string names;
    for (int n = 1 + Below(3); n > 0; --n) names += (names.empty() ? "" : " ") + Pick(kValues);
    return names;
  }
  if (name == "text" && Chance(10)) return std::string(1 + Below(5000), 'x');
  return Pick(kValues);
}

std::string SkinGenerator::Attributes(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    const std::string& name = Pick(kAttributes);
    text += " " + name + "=\"" + Value(name) + "\"";
  }
  return text;
}

std::string SkinGenerator::Include() {
  const std::vector<std::string> counts = {"1", "1", "2", "0", "-1", "3", "50", "100", "101",
                                           "2147483647", "x"};
  return "<Include source=\"fuzz\\inc" + std::to_string(Below(4)) + ".xml\"" +
         (Chance(60) ? " count=\"" + Pick(counts) + "\"" : "") + "/>";
}

std::string SkinGenerator::Element(int depth, int max_depth) {
  const int roll = Below(100);
  if (roll < 6) return Include();
  if (roll < 9) {
    return std::string(Chance(50) ? "<Event" : "<BubbledEvent") + " type=\"" +
           Pick(kEventTypes) + "\" receiver=\"" + Pick(kValues) + "\" applyattribute=\"" +
           "visible=&quot;false&quot; class=&quot;f0&quot;\"/>";
  }
  const std::string& tag = depth < max_depth && Chance(50) ? Pick(kBoxTags) : Pick(kTags);
  std::string element = "<" + tag + Attributes(Below(7));
  const int children = depth < max_depth ? Below(5) : 0;
  if (children == 0) return element + "/>";
  element += ">";
  for (int i = 0; i < children; ++i) element += Element(depth + 1, max_depth);
  return element + "</" + tag + ">";
}

void SkinGenerator::AddClasses(SkinCase& c) {
  // A fan-out: every class names the next one `width` times.
  const int width = 2 + Below(9);
  const int levels = 3 + Below(10);
  for (int i = 0; i < levels; ++i) {
    std::string names;
    for (int k = 0; k < width; ++k) names += " f" + std::to_string(i + 1);
    c.classes.emplace_back("f" + std::to_string(i), "bkcolor=\"green\" class=\"" + names + "\"");
  }
  c.classes.emplace_back("self", "class=\"self\" width=\"10\"");
  c.classes.emplace_back("ping", "class=\"pong\"");
  c.classes.emplace_back("pong", "class=\"ping\" height=\"20\"");
  // A long chain of distinct classes, one level deeper each.
  const int chain = Chance(30) ? 100 + Below(3000) : 5;
  for (int i = 0; i < chain; ++i) {
    c.classes.emplace_back("chain" + std::to_string(i),
                           "class=\"chain" + std::to_string(i + 1) + "\"");
  }
  if (Chance(30)) c.classes.emplace_back("f0", "class=\"chain0\" " + Attributes(3));
}

void SkinGenerator::Mutate(std::string& text) {
  const std::vector<std::string> tokens = {"<", ">", "/>", "</", "\"", "'", "=", "&", "&#",
                                           "<!--", "-->", "<?xml", "<![CDATA[", "]]>",
                                           std::string(1, '\0'), "\xFF", "\xE5\xAE", " "};
  for (int n = 1 + Below(5); n > 0 && !text.empty(); --n) {
    const size_t at = static_cast<size_t>(Below(static_cast<int>(text.size())));
    const size_t span = 1 + static_cast<size_t>(Below(20));
    switch (Below(5)) {
      case 0: text.erase(at, span); break;
      case 1: text.insert(at, Pick(tokens)); break;
      case 2: text.insert(at, text.substr(at, span * 10)); break;
      case 3: text[at] = static_cast<char>(rng_()); break;
      default: text.resize(at); break;
    }
  }
}

SkinCase SkinGenerator::Make() {
  SkinCase c;
  const std::vector<std::pair<int, int>> sizes = {{1, 1}, {300, 200}, {960, 625}, {1920, 1200}};
  const auto& size = Pick(sizes);
  c.width = size.first;
  c.height = size.second;
  AddClasses(c);
  for (int i = 0; i < 4; ++i) {
    std::string body;
    for (int n = Below(4); n > 0; --n) body += Element(0, 2);
    c.includes.emplace_back("fuzz\\inc" + std::to_string(i) + ".xml",
                            "<Include>" + body + "</Include>");
  }

  std::string body;
  switch (Below(6)) {
    case 0: {  // deep: a chain of boxes around the nesting limit
      std::vector<std::string> open;
      for (int i = 40 + Below(60); i > 0; --i) {
        open.push_back(Pick(kBoxTags));
        body += "<" + open.back() + Attributes(Below(3)) + ">";
      }
      body += Element(0, 1);
      for (auto it = open.rbegin(); it != open.rend(); ++it) body += "</" + *it + ">";
      break;
    }
    case 1: {  // wide: one box with many children
      body = "<HBox" + Attributes(Below(3)) + ">";
      for (int n = 200 + Below(1500); n > 0; --n) body += "<" + Pick(kTags) + Attributes(Below(3)) + "/>";
      body += "</HBox>";
      break;
    }
    case 2:  // images tiled over large controls
      body = "<VBox bkimage=\"file='../public/fuzz/one.png' xtiled='true' ytiled='true'\">";
      for (int n = 1 + Below(4); n > 0; --n) {
        body += "<Control width=\"stretch\" height=\"stretch\" bkimage=\"" + ImageValue() +
                "\" normalimage=\"" + ImageValue() + "\"/>";
      }
      body += "</VBox>";
      break;
    case 3:  // classes that fan out, cycle and chain
      body = "<VBox>";
      for (const char* name : {"f0", "self", "ping", "chain0"}) {
        if (Chance(60)) body += std::string("<Button class=\"") + name + "\"" + Attributes(2) + "/>";
      }
      body += "</VBox>";
      break;
    default: {  // anything
      body = "<VBox" + Attributes(Below(4)) + ">";
      for (int n = 1 + Below(6); n > 0; --n) body += Element(0, 3 + Below(5));
      body += "</VBox>";
      break;
    }
  }
  std::string window = "<Window";
  for (int n = Below(4); n > 0; --n) window += " " + Pick(kWindowAttributes) + "=\"" + Pick(kValues) + "\"";
  window += ">";
  for (const auto& [name, attributes] : c.classes) {
    if (!Chance(5)) continue;
    std::string quoted;
    for (char ch : attributes) quoted += ch == '"' ? std::string("&quot;") : std::string(1, ch);
    window += "<Class name=\"" + name + "\" value=\"" + quoted + "\"/>";
  }
  c.skin = (Chance(20) ? "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" : "") + window +
           (Chance(10) ? Include() : "") + body + "</Window>";
  if (Chance(30)) Mutate(c.skin);
  for (auto& include : c.includes) {
    if (Chance(15)) Mutate(include.second);
  }
  return c;
}

}  // namespace fuzz_test

// Random skins for the fuzz campaign of the skin path: documents of every
// shape a skin read from disk may have (deep and wide nesting, includes that
// nest, cycle and multiply, classes that cycle and fan out, attribute values
// of every kind, images huge, tiny and broken), some of them then mutated
// byte by byte into malformed XML. One seed gives one case, always the same.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace fuzz_test {

// The image files a case may name, under the skin folder's "../public/fuzz/"
// ("missing.png" is never written). FuzzImages writes them once.
struct FuzzImage {
  const char* name;
  int width;  // 0: the bytes below instead of a PNG
  int height;
  std::string bytes;
};
const std::vector<FuzzImage>& FuzzImages();

struct SkinCase {
  // The window's skin document (UTF-8).
  std::string skin;
  // Files the skin may include, by their name under the skin folder.
  std::vector<std::pair<std::string, std::string>> includes;
  // The window's own classes: name, attribute list.
  std::vector<std::pair<std::string, std::string>> classes;
  int width = 0;
  int height = 0;
};

class SkinGenerator {
 public:
  explicit SkinGenerator(uint32_t seed) : rng_(seed) {}
  SkinCase Make();

 private:
  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<int>(items.size()))]; }

  std::string Value(const std::string& name);
  std::string ImageValue();
  std::string Attributes(int count);
  std::string Element(int depth, int max_depth);
  std::string Include();
  void AddClasses(SkinCase& c);
  void Mutate(std::string& text);

  std::mt19937 rng_;
};

}  // namespace fuzz_test

// The SHA-256 compression function: folds whole 64-byte blocks into the
// eight-word state. Two equal implementations: plain C++ for any processor,
// and one on the processor's SHA extensions, which hashes a package many
// times faster than the download brings it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace base {

using Sha256BlockFunction = void (*)(uint32_t state[8], const unsigned char* blocks, size_t count);

void CompressSha256Portable(uint32_t state[8], const unsigned char* blocks, size_t count);
// Only where ProcessorHasShaExtensions() says so: elsewhere it is an
// illegal instruction.
void CompressSha256WithShaExtensions(uint32_t state[8], const unsigned char* blocks, size_t count);
bool ProcessorHasShaExtensions();

// The fastest of the two this processor runs; asked once per process.
Sha256BlockFunction BestSha256BlockFunction();

}  // namespace base
